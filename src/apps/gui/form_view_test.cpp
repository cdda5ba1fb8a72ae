#include "apps/gui/form_view.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "apps/gui/qt_ui_services.h"
#include "apps/gui/test_support.h"
#include "host/application.h"
#include "host/exceptions.h"

namespace gui {

using testing::ModalDriver;

namespace {

// A screen built from the host's generic controls, as a module builds its own.
// The combo box is made before the file field but comes after it in tab order.
class SampleForm : public host::Form {
 public:
  SampleForm()
      : Form("frmAmostra"),
        grbDados(*this, "grbDados"),
        lblCodigo(*this, "lblCodigo", &grbDados),
        medCodigo(*this, "medCodigo", &grbDados),
        btnPesq(*this, "btnPesq", &grbDados),
        edtNome(*this, "edtNome", &grbDados),
        cbTipo(*this, "cbTipo", &grbDados),
        edtArquivo(*this, "edtArquivo", &grbDados),
        pgbProgresso(*this, "pgbProgresso", &grbDados),
        panMenu(*this, "panMenu"),
        sbtConfirma(*this, "sbtConfirma", &panMenu),
        dtsLista("dtsLista") {
    SetClientSize(404, 116);
    grbDados.SetBounds({0, 0, 349, 116});
    lblCodigo.SetBounds({6, 15, 37, 13});
    lblCodigo.SetCaption("Banco");
    lblCodigo.SetFont({"MS Sans Serif", 8, true, host::Color::kWindowText});
    medCodigo.SetBounds({99, 12, 40, 21});
    medCodigo.SetMaxLength(3);
    medCodigo.SetColor(host::Color::kInfoBk);
    medCodigo.SetTabOrder(0);
    btnPesq.SetBounds({143, 12, 21, 21});
    btnPesq.SetHint("Pesquisar");
    btnPesq.SetDataSource(&dtsLista);
    edtNome.SetBounds({167, 12, 164, 21});
    edtNome.SetEnabled(false);
    edtNome.SetColor(host::Color::kBtnFace);
    edtNome.SetTabOrder(2);
    cbTipo.SetBounds({100, 62, 91, 21});
    cbTipo.SetItems({"Circulante", "Aplicação", "Garantida"});
    cbTipo.SetItemIndex(0);
    cbTipo.SetTabOrder(6);
    edtArquivo.SetBounds({99, 38, 207, 21});
    edtArquivo.SetTabOrder(3);
    pgbProgresso.SetBounds({5, 91, 326, 16});
    pgbProgresso.SetVisible(false);
    panMenu.SetBounds({349, 0, 55, 116});
    sbtConfirma.SetBounds({6, 4, 40, 40});
    sbtConfirma.SetGlyph("confirm");
    dtsLista.Rows = [] {
      return host::TDataSource::Listing{{"Código", "Nome"}, {{"001", "UM"}, {"237", "DOIS"}}};
    };
    dtsLista.SelectRow = [this](std::size_t row) { medCodigo.SetText(row == 1 ? "237" : "001"); };
  }

  host::GroupBox grbDados;
  host::Label lblCodigo;
  host::MaskEdit medCodigo;
  host::TBtnPesquisa btnPesq;
  host::Edit edtNome;
  host::ComboBox cbTipo;
  host::Edit edtArquivo;
  host::ProgressBar pgbProgresso;
  host::Panel panMenu;
  host::TButtonFlat sbtConfirma;
  host::TDataSource dtsLista;
};

}  // namespace

class FormViewTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    form_ = std::make_unique<SampleForm>();
    window_ = std::make_unique<QWidget>();
    view_ = new FormView(*form_, window_.get());
    ui_ = std::make_unique<QtUiServices>(*window_);
    host::GetApplication().SetUiServices(ui_.get());
  }
  void cleanup() {
    host::GetApplication().SetUiServices(nullptr);
    ui_.reset();
    window_.reset();
    form_.reset();
  }

  // Colours, lengths and items are checked on the real screen (MainWindowTest).
  void RendersEachControlWhereTheModelPutsIt() {
    QCOMPARE(view_->size(), QSize(404, 116));
    auto* code = Widget<QLineEdit>("medCodigo");
    QCOMPARE(code->geometry(), QRect(99, 12, 40, 21));
    QCOMPARE(code->parentWidget(), Widget<QGroupBox>("grbDados"));
    auto* label = Widget<QLabel>("lblCodigo");
    QCOMPARE(label->text(), QStringLiteral("Banco"));
    QVERIFY(label->font().bold());
    QCOMPARE(label->pos(), QPoint(6, 15));
    QCOMPARE(Widget<QToolButton>("btnPesq")->focusPolicy(), Qt::NoFocus);
    auto* confirm = Widget<QToolButton>("sbtConfirma");
    QCOMPARE(confirm->parentWidget(), Widget<QLabel>("panMenu"));
    QCOMPARE(confirm->mapTo(view_, QPoint(0, 0)), QPoint(355, 4));
    QVERIFY(confirm->autoRaise());
    QVERIFY(!confirm->icon().isNull());
    QCOMPARE(confirm->focusPolicy(), Qt::NoFocus);
  }

  void ModelChangesReachTheWidgets() {
    form_->medCodigo.SetText("341");
    QCOMPARE(Widget<QLineEdit>("medCodigo")->text(), QStringLiteral("341"));
    form_->edtArquivo.SetEnabled(false);
    QVERIFY(!Widget<QLineEdit>("edtArquivo")->isEnabled());
    form_->pgbProgresso.SetVisible(true);
    form_->pgbProgresso.SetPosition(40);
    QVERIFY(!Widget<QProgressBar>("pgbProgresso")->isHidden());
    QCOMPARE(Widget<QProgressBar>("pgbProgresso")->value(), 40);
    form_->cbTipo.SetItemIndex(2);
    QCOMPARE(Widget<QComboBox>("cbTipo")->currentText(), QStringLiteral("Garantida"));
    form_->lblCodigo.SetCaption("Código do banco");
    QCOMPARE(Widget<QLabel>("lblCodigo")->text(), QStringLiteral("Código do banco"));
    form_->btnPesq.SetBounds({10, 20, 30, 25});
    QCOMPARE(Widget<QToolButton>("btnPesq")->geometry(), QRect(10, 20, 30, 25));
  }

  void UserInputReachesTheModel() {
    int changes = 0;
    form_->medCodigo.OnChange = [&](host::Object&) { ++changes; };
    QTest::keyClicks(Widget<QLineEdit>("medCodigo"), "23789");
    QCOMPARE(form_->medCodigo.Text(), std::string("237"));
    QCOMPARE(changes, 3);
    Widget<QComboBox>("cbTipo")->setCurrentIndex(1);
    QCOMPARE(form_->cbTipo.Text(), std::string("Aplicação"));
  }

  void TabFollowsTabOrderAndRunsExitEvents() {
    ShowActive();
    int exits = 0;
    form_->medCodigo.OnExit = [&](host::Object&) {
      ++exits;
      if (form_->medCodigo.Text() == "999") {
        form_->medCodigo.SetFocus();
        throw host::Exception("Código não cadastrado.");
      }
    };
    auto* code = Widget<QLineEdit>("medCodigo");
    QVERIFY(code->hasFocus());

    ModalDriver driver;
    QTest::keyClicks(code, "999");
    QTest::keyClick(code, Qt::Key_Tab);
    QTRY_COMPARE(exits, 1);
    QTRY_VERIFY(code->hasFocus());
    QCOMPARE(driver.Texts(), QStringList{"Código não cadastrado."});
    QCOMPARE(driver.Dialogs()[0].title, QStringLiteral("Erro"));
    QCOMPARE(form_->ActiveControl(), &form_->medCodigo);

    form_->medCodigo.SetText("237");
    QTest::keyClick(code, Qt::Key_Tab);
    QTRY_VERIFY(Widget<QLineEdit>("edtArquivo")->hasFocus());
    QTRY_COMPARE(form_->ActiveControl(), &form_->edtArquivo);
    QCOMPARE(exits, 2);
    QTest::keyClick(Widget<QLineEdit>("edtArquivo"), Qt::Key_Tab);
    QTRY_COMPARE(form_->ActiveControl(), &form_->cbTipo);
    QVERIFY(Widget<QComboBox>("cbTipo")->hasFocus());
  }

  void FlatButtonClickRunsNoExitEvent() {
    ShowActive();
    int exits = 0;
    int clicks = 0;
    form_->medCodigo.OnExit = [&](host::Object&) { ++exits; };
    form_->sbtConfirma.OnClick = [&](host::Object&) { ++clicks; };
    QTest::mouseClick(Widget<QToolButton>("sbtConfirma"), Qt::LeftButton);
    QCOMPARE(clicks, 1);
    QTest::qWait(20);
    QCOMPARE(exits, 0);
    QVERIFY(Widget<QLineEdit>("medCodigo")->hasFocus());
  }

  void FocusRequestOfTheModelMovesTheRealFocus() {
    ShowActive();
    view_->Run([this] { form_->edtArquivo.SetFocus(); });
    QVERIFY(Widget<QLineEdit>("edtArquivo")->hasFocus());
  }

  void SearchButtonListsAndPicks() {
    int after = 0;
    form_->btnPesq.OnAfterPesq = [&](host::Object&) { ++after; };
    ModalDriver driver;
    driver.Then([](QWidget& dialog) {
      auto* table = dialog.findChild<QTableWidget*>();
      table->selectRow(1);
      static_cast<QDialog&>(dialog).accept();
    });
    QTest::mouseClick(Widget<QToolButton>("btnPesq"), Qt::LeftButton);
    QCOMPARE(form_->medCodigo.Text(), std::string("237"));
    QCOMPARE(Widget<QLineEdit>("medCodigo")->text(), QStringLiteral("237"));
    QCOMPARE(after, 1);
  }

 private:
  template <typename W>
  W* Widget(const char* name) const {
    W* widget = view_->findChild<W*>(name);
    if (widget == nullptr)
      qFatal("no widget %s", name);
    return widget;
  }
  void ShowActive() {
    form_->Show();
    window_->show();
    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    view_->FollowFocus();
  }

  std::unique_ptr<SampleForm> form_;
  std::unique_ptr<QWidget> window_;
  FormView* view_ = nullptr;
  std::unique_ptr<QtUiServices> ui_;
};

static const bool registered = testing::Register<FormViewTest>();

}  // namespace gui

#include "form_view_test.moc"
