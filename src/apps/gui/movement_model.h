#ifndef EXTRATO_APPS_GUI_MOVEMENT_MODEL_H_
#define EXTRATO_APPS_GUI_MOVEMENT_MODEL_H_

#include <functional>
#include <string>
#include <vector>

#include <QAbstractTableModel>

#include "apps/common/movement_pages.h"

namespace gui {

// A statement's movements for a table view, read a page at a time as the view
// scrolls, so a large statement shows its first rows at once.
class MovementModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kNumber, kDate, kDocument, kHistory, kAmount, kSide, kStatus, kBalance, kColumns };
  static constexpr int kPageSize = 200;

  // `failed` is told a server failure; the list then stops where it is.
  MovementModel(apps::ServerCall call, std::function<void(const std::string&)> failed,
                QObject* parent = nullptr);

  // Lists what `query` asks for from its first page; an empty account lists nothing.
  void Show(apps::MovementQuery query);
  const apps::ListedMovement& At(int row) const { return rows_.at(static_cast<std::size_t>(row)); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;
  // Reads the rest of the list first: a sort orders every movement, not the page.
  void sort(int column, Qt::SortOrder order) override;

 private:
  void FetchPage();

  apps::ServerCall call_;
  std::function<void(const std::string&)> failed_;
  apps::MovementQuery query_;
  std::vector<apps::ListedMovement> rows_;
  nlohmann::json next_;  // null: nothing more to read
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_MOVEMENT_MODEL_H_
