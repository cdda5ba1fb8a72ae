#include "apps/gui/translations.h"

#include <cstring>

#include <QLibraryInfo>
#include <QLocale>

namespace gui {

namespace {

struct QtText {
  const char* context;
  const char* source;
  const char* portuguese;
};

// Texts of Qt's file dialog that its Brazilian translation lacks.
constexpr QtText kMissing[] = {
    {"QAbstractFileIconProvider", "Folder", "Pasta"},
    {"QAbstractFileIconProvider", "Drive", "Unidade"},
    {"QAbstractFileIconProvider", "Shortcut", "Atalho"},
    {"QAbstractFileIconProvider", "Unknown", "Desconhecido"},
};

class MissingQtTexts : public QTranslator {
 public:
  using QTranslator::QTranslator;
  QString translate(const char* context, const char* source, const char*, int) const override {
    for (const QtText& text : kMissing) {
      if (std::strcmp(context, text.context) == 0 && std::strcmp(source, text.source) == 0)
        return QString::fromUtf8(text.portuguese);
    }
    return {};
  }
  bool isEmpty() const override { return false; }
};

}  // namespace

QTranslator* InstallPortuguese(QCoreApplication& application) {
  QLocale portuguese(QLocale::Portuguese, QLocale::Brazil);
  QLocale::setDefault(portuguese);
  auto* translator = new QTranslator(&application);
  if (!translator->load(portuguese, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return nullptr;
  }
  // Installed first, asked last: Qt's own translation has its say before.
  QCoreApplication::installTranslator(new MissingQtTexts(translator));
  QCoreApplication::installTranslator(translator);
  return translator;
}

}  // namespace gui
