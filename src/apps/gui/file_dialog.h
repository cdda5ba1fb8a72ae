#ifndef EXTRATO_APPS_GUI_FILE_DIALOG_H_
#define EXTRATO_APPS_GUI_FILE_DIALOG_H_

#include <optional>
#include <string>

#include <QStringList>
#include <QWidget>

#include "host/ui_services.h"

namespace gui {

// The host's filter ("Description|patterns|Description|patterns", patterns split
// by ";") as Qt name filters. "*.*" means every file, as it does on the host's
// own platform, and the description is kept as the text shown.
QStringList NameFilters(const std::string& filter);

// The open-file dialog: the chosen file's full path, or nothing on a cancel.
std::optional<std::string> ChooseOpenFile(QWidget* parent, const host::FileDialogRequest& request);

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_FILE_DIALOG_H_
