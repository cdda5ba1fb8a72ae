#include "apps/gui/file_dialog.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

namespace gui {

namespace {

// The column of the dialog's list that tells when a file was changed.
constexpr int kModifiedColumn = 3;

// Dates in the dialog's list as the rest of the application writes them: Qt's own
// file model follows the system's locale, English on a machine set up in English.
class LocalDates : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;
  QVariant data(const QModelIndex& index, int role) const override {
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || index.column() != kModifiedColumn || files == nullptr)
      return QIdentityProxyModel::data(index, role);
    return QLocale().toString(files->lastModified(mapToSource(index)), QLocale::ShortFormat);
  }
};

// "*.txt;*.*" as Qt patterns: "*.txt *".
QString QtPatterns(const QString& patterns) {
  QStringList result;
  for (const QString& pattern : patterns.split(';', Qt::SkipEmptyParts)) {
    QString trimmed = pattern.trimmed();
    result << (trimmed == QStringLiteral("*.*") ? QStringLiteral("*") : trimmed);
  }
  return result.isEmpty() ? QStringLiteral("*") : result.join(' ');
}

}  // namespace

QStringList NameFilters(const std::string& filter) {
  if (filter.empty())
    return {};
  QStringList parts = QString::fromStdString(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i < parts.size(); i += 2) {
    QString patterns = i + 1 < parts.size() ? parts[i + 1] : QString();
    filters << QStringLiteral("%1 (%2)").arg(parts[i], QtPatterns(patterns));
  }
  return filters;
}

std::optional<std::string> ChooseOpenFile(QWidget* parent, const host::FileDialogRequest& request) {
  QFileDialog dialog(parent, QString::fromStdString(request.title),
                     QString::fromStdString(request.initial_dir));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setProxyModel(new LocalDates(&dialog));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  QStringList filters = NameFilters(request.filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    // Shows the description alone: its own "(*.*)" is the text the user knows.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
  }
  if (!request.file_name.empty())
    dialog.selectFile(QString::fromStdString(request.file_name));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

}  // namespace gui
