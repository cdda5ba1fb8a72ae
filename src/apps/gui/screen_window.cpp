#include "apps/gui/screen_window.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMdiArea>
#include <QShortcut>

namespace gui {

namespace {

// A fixed single border: the window can be moved, minimized and closed, not resized.
constexpr Qt::WindowFlags kFixedBorder = Qt::SubWindow | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

host::WindowState StateOf(Qt::WindowStates state) {
  if (state & Qt::WindowMinimized)
    return host::WindowState::kMinimized;
  if (state & Qt::WindowMaximized)
    return host::WindowState::kMaximized;
  return host::WindowState::kNormal;
}

}  // namespace

ScreenWindow::ScreenWindow(host::Form& form, QWidget* parent)
    : QMdiSubWindow(parent, kFixedBorder), view_(new FormView(form)) {
  setWidget(view_);
  // Not resizable: the window keeps the size its fixed client area asks for.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  setWindowTitle(QString::fromStdString(form.Caption()));
  form.OnWindowChanged = [this](host::Form&, const std::string& property) {
    WindowChanged(property);
  };
  connect(this, &QMdiSubWindow::windowStateChanged, this,
          [this](Qt::WindowStates, Qt::WindowStates now) { KeepUserState(now); });
  // Esc leaves the screen from any field, one the screen keeps the focus in too.
  new QShortcut(
      QKeySequence(Qt::Key_Escape), this, [this] { close(); }, Qt::WidgetWithChildrenShortcut);
}

ScreenWindow::~ScreenWindow() {
  if (Form() != nullptr)
    Form()->OnWindowChanged = nullptr;
}

void ScreenWindow::FollowModel() {
  ApplyVisible();
  ApplyState();
  view_->FollowFocus();
}

void ScreenWindow::WindowChanged(const std::string& property) {
  if (property == "caption") {
    setWindowTitle(QString::fromStdString(Form()->Caption()));
  } else if (property == "size") {
    view_->setFixedSize(Form()->ClientWidth(), Form()->ClientHeight());
  } else if (property == "visible") {
    ApplyVisible();
  } else if (property == "state") {
    ApplyState();
  } else if (property == "closed") {
    view_->Detach();
    hide();
    deleteLater();
  }
}

void ScreenWindow::ApplyVisible() {
  if (!Form()->Visible()) {
    hide();
    return;
  }
  show();
  if (mdiArea() != nullptr)
    mdiArea()->setActiveSubWindow(this);
}

void ScreenWindow::ApplyState() {
  host::WindowState wanted = Form()->GetWindowState();
  if (StateOf(windowState()) == wanted)
    return;
  switch (wanted) {
    case host::WindowState::kNormal:
      showNormal();
      break;
    case host::WindowState::kMinimized:
      showMinimized();
      break;
    case host::WindowState::kMaximized:
      showMaximized();
      break;
  }
}

// The user minimized, maximized or restored the window: the model says so too.
void ScreenWindow::KeepUserState(Qt::WindowStates state) {
  if (Form() != nullptr && StateOf(state) != Form()->GetWindowState()) {
    Form()->SetWindowState(StateOf(state));
  }
}

void ScreenWindow::closeEvent(QCloseEvent* event) {
  host::Form* form = Form();
  if (form == nullptr) {
    event->accept();
    return;
  }
  // Whether the window goes is the screen's to say: its close event runs first.
  event->ignore();
  view_->Run([form] { form->Close(); });
}

}  // namespace gui
