#include "apps/gui/message_dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace gui {

namespace {

struct DialogLook {
  QString title;
  QMessageBox::Icon icon;
  QStyle::StandardPixmap pixmap;
};

DialogLook LookOf(host::DialogType type) {
  switch (type) {
    case host::DialogType::kError:
      return {QStringLiteral("Erro"), QMessageBox::Critical, QStyle::SP_MessageBoxCritical};
    case host::DialogType::kWarning:
      return {QStringLiteral("Atenção"), QMessageBox::Warning, QStyle::SP_MessageBoxWarning};
    case host::DialogType::kInformation:
      return {QStringLiteral("Informação"), QMessageBox::Information,
              QStyle::SP_MessageBoxInformation};
    case host::DialogType::kConfirmation:
      break;
  }
  return {QStringLiteral("Confirmação"), QMessageBox::Question, QStyle::SP_MessageBoxQuestion};
}

constexpr int kIconSize = 32;

}  // namespace

void ShowMessageBox(QWidget* parent, const host::MessageDialog& message,
                    const std::optional<std::string>& detail) {
  DialogLook look = LookOf(message.type);
  QMessageBox box(look.icon, look.title, QString::fromStdString(message.text), QMessageBox::Ok,
                  parent);
  if (detail)
    box.setInformativeText(QString::fromStdString(*detail));
  // Messages quote what a file holds: a tag there must show as written, in the
  // message and in the line under it alike.
  box.setTextFormat(Qt::PlainText);
  for (QLabel* label : box.findChildren<QLabel*>())
    label->setTextFormat(Qt::PlainText);
  box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
  box.exec();
}

int AskQuestion(QWidget* parent, const host::Question& question) {
  // A QMessageBox cannot be closed without an escape button, and any escape
  // button would answer as that button: closing must answer neither.
  QDialog dialog(parent);
  DialogLook look = LookOf(question.type);
  dialog.setWindowTitle(look.title);
  auto* icon = new QLabel;
  icon->setPixmap(dialog.style()->standardIcon(look.pixmap).pixmap(kIconSize));
  auto* text = new QLabel(QString::fromStdString(question.text));
  text->setWordWrap(true);
  auto* buttons = new QDialogButtonBox;
  for (std::size_t i = 0; i < question.captions.size(); ++i) {
    QPushButton* button = buttons->addButton(QString::fromStdString(question.captions[i]),
                                             QDialogButtonBox::ActionRole);
    int answer = host::kFirstCaption + static_cast<int>(i);
    QObject::connect(button, &QPushButton::clicked, &dialog,
                     [&dialog, answer] { dialog.done(answer); });
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
