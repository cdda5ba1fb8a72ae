#ifndef EXTRATO_APPS_GUI_STATEMENTS_WINDOW_H_
#define EXTRATO_APPS_GUI_STATEMENTS_WINDOW_H_

#include <map>
#include <memory>
#include <optional>
#include <string>

#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QTableView>
#include <QTableWidget>

#include "apps/common/balance_line.h"
#include "apps/common/movement_pages.h"
#include "apps/gui/movement_model.h"
#include "apps/gui/service_client.h"

namespace gui {

// "Extratos importados": an account's statements in a period, the chosen
// statement's movements with the balance after each, the daily balance as a
// chart, and the movements exported for other programs.
class StatementsWindow : public QDialog {
  Q_OBJECT

 public:
  explicit StatementsWindow(QWidget* parent = nullptr);

  // Picks the account (reduced code) and lists its statements over all their days.
  void ShowAccount(const std::string& account);
  // Lists the account's statements in the period on screen.
  void Reload();
  // Shows the movements of the statement in row `row` of the list.
  void SelectStatement(int row);
  // Writes the listed statement's movements (the period's, when none is chosen)
  // to `path`; answers the failure, nothing when written.
  std::optional<std::string> Export(apps::ExportFormat format, const std::string& path);
  // "Extrato 0000000001: 02/01/2024 a 28/01/2024" for the account's statement on
  // the day; empty when none covers it.
  QString StatementOn(const std::string& account, const QDate& day) const;

  QComboBox& Accounts() const { return *accounts_; }
  QDateEdit& From() const { return *from_; }
  QDateEdit& To() const { return *to_; }
  QTableWidget& Statements() const { return *statements_; }
  QTableView& Movements() const { return *movements_; }
  MovementModel& MovementList() const { return *movement_model_; }
  QLabel& Totals() const { return *totals_; }
  QLabel& Pointer() const { return *pointer_; }
  QChartView& Chart() const { return *chart_; }
  QCheckBox& AllAccounts() const { return *all_accounts_; }

 private:
  apps::ServerCall Call();
  std::string Account() const;
  apps::MovementQuery Query() const;
  void LoadAccounts();
  void ReadStatements();
  void FillStatements();
  void DrawChart();
  void AddAccountLine(QChart& chart, const std::string& account, bool chosen);
  void ExportClicked(apps::ExportFormat format);
  void ShowError(const std::string& text);

  ServiceClient client_;
  nlohmann::json statements_packet_;
  std::map<std::string, apps::BalanceLine> lines_;  // by account, as drawn
  QComboBox* accounts_;
  QDateEdit* from_;
  QDateEdit* to_;
  QCheckBox* all_accounts_;
  QTableWidget* statements_;
  QTableView* movements_;
  MovementModel* movement_model_;
  QLabel* totals_;
  QLabel* pointer_;
  QChartView* chart_;
};

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_STATEMENTS_WINDOW_H_
