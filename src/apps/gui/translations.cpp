#include "apps/gui/translations.h"

#include <QLibraryInfo>
#include <QLocale>

namespace gui {

QTranslator* InstallPortuguese(QCoreApplication& application) {
  QLocale portuguese(QLocale::Portuguese, QLocale::Brazil);
  QLocale::setDefault(portuguese);
  auto* translator = new QTranslator(&application);
  if (!translator->load(portuguese, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return nullptr;
  }
  QCoreApplication::installTranslator(translator);
  return translator;
}

}  // namespace gui
