// Demonstration banks and accounts, matching the sample statement files.
#ifndef EXTRATO_SERVER_DEMO_DATA_H_
#define EXTRATO_SERVER_DEMO_DATA_H_

#include <string>

namespace server {

struct DemoCounts {
  int banks = 0;
  int accounts = 0;
  int layouts = 0;
};

// Creates the tables when missing and adds the demonstration rows that are not there
// yet; rows already stored under the same keys are left as they are. Answers how
// many banks, accounts and layouts the database then holds. Throws DatabaseError.
DemoCounts LoadDemo(const std::string& uri);

}  // namespace server

#endif  // EXTRATO_SERVER_DEMO_DATA_H_
