#include "apps/gui/message_dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

namespace {

QMessageBox::Icon IconOf(host::DialogType type) {
  switch (type) {
    case host::DialogType::kError:
      return QMessageBox::Critical;
    case host::DialogType::kWarning:
      return QMessageBox::Warning;
    case host::DialogType::kInformation:
      return QMessageBox::Information;
    case host::DialogType::kConfirmation:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

QString DialogTitle(host::DialogType type) {
  switch (type) {
    case host::DialogType::kError:
      return QStringLiteral("Erro");
    case host::DialogType::kWarning:
      return QStringLiteral("Atenção");
    case host::DialogType::kInformation:
      return QStringLiteral("Informação");
    case host::DialogType::kConfirmation:
      return QStringLiteral("Confirmação");
  }
  return {};
}

void ShowMessageBox(QWidget* parent, const host::MessageDialog& message) {
  QMessageBox box(IconOf(message.type), DialogTitle(message.type),
                  QString::fromStdString(message.text), QMessageBox::Ok, parent);
  box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
  box.exec();
}

int AskQuestion(QWidget* parent, const host::Question& question) {
  // A QMessageBox cannot be closed without an escape button, and any escape
  // button would answer as that button: closing must answer neither.
  QDialog dialog(parent);
  dialog.setWindowTitle(DialogTitle(question.type));
  auto* icon = new QLabel;
  icon->setPixmap(QMessageBox::standardIcon(IconOf(question.type)));
  auto* text = new QLabel(QString::fromStdString(question.text));
  text->setWordWrap(true);
  auto* buttons = new QDialogButtonBox;
  for (std::size_t i = 0; i < question.captions.size(); ++i) {
    QPushButton* button = buttons->addButton(QString::fromStdString(question.captions[i]),
                                             QDialogButtonBox::ActionRole);
    int answer = host::kFirstCaption + static_cast<int>(i);
    QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, answer] {
      dialog.done(answer);
    });
  }
  auto* message = new QHBoxLayout;
  message->addWidget(icon, 0, Qt::AlignTop);
  message->addWidget(text, 1);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(message);
  layout->addWidget(buttons);
  return dialog.exec();
}

}  // namespace gui
