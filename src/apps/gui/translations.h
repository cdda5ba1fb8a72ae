#ifndef EXTRATO_APPS_GUI_TRANSLATIONS_H_
#define EXTRATO_APPS_GUI_TRANSLATIONS_H_

#include <QCoreApplication>
#include <QTranslator>

namespace gui {

// Qt's own dialogs (the file dialog, message box buttons) in Brazilian
// Portuguese, from Qt's translations; the locale for dates and numbers too.
// Answers the translator installed, owned by the application; null when the
// translation files are not installed: the dialogs then stay in English.
QTranslator* InstallPortuguese(QCoreApplication& application);

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_TRANSLATIONS_H_
