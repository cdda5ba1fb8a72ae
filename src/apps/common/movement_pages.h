#ifndef EXTRATO_APPS_COMMON_MOVEMENT_PAGES_H_
#define EXTRATO_APPS_COMMON_MOVEMENT_PAGES_H_

// An account's imported statements and movements, read from the application
// server a page at a time, for both front ends.

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "apps/common/server_call.h"
#include "apps/common/statement_export.h"

namespace apps {

struct MovementQuery {
  std::string account;
  std::string statement;  // empty: the movements of every statement in the period
  host::Date from{1, 1, 1};
  host::Date to{9999, 12, 31};
  int page_size = 1000;
};

struct MovementPage {
  std::vector<ListedMovement> movements;
  nlohmann::json next;  // the position of the next page; null after the last
};

// The account's statements meeting the period (GetExtratosConta's packet).
nlohmann::json ReadStatements(const ServerCall& call, const MovementQuery& query);

// The page after `position` ("" for the first).
MovementPage ReadPage(const ServerCall& call, const MovementQuery& query,
                      const nlohmann::json& position);

// Every movement, in order, handed to `visit` one page at a time.
void ForEachMovement(const ServerCall& call, const MovementQuery& query,
                     const std::function<void(const ListedMovement&)>& visit);

// The account's bank, agency and number, the period and the closing balance for
// an export of what `query` lists; `statements` is ReadStatements' answer.
ExportHeader ReadExportHeader(const ServerCall& call, const MovementQuery& query,
                              const nlohmann::json& statements);

// Writes every movement `query` lists in `format`; answers how many.
std::size_t Export(const ServerCall& call, const MovementQuery& query, ExportFormat format,
                   std::ostream& out);

}  // namespace apps

#endif  // EXTRATO_APPS_COMMON_MOVEMENT_PAGES_H_
