#ifndef EXTRATO_APPS_GUI_MESSAGE_DIALOGS_H_
#define EXTRATO_APPS_GUI_MESSAGE_DIALOGS_H_

#include <optional>
#include <string>

#include <QWidget>

#include "host/ui_services.h"

namespace gui {

// A message with an OK button, titled by its type ("Erro", "Atenção",
// "Informação"), and the front end's detail under it; returns when the user
// closed it.
void ShowMessageBox(QWidget* parent, const host::MessageDialog& message,
                    const std::optional<std::string>& detail = std::nullopt);

// The question with one button per caption, in order: the first answers 10, the
// second 11. Closing the dialog (Esc, the title bar) answers 0.
int AskQuestion(QWidget* parent, const host::Question& question);

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_MESSAGE_DIALOGS_H_
