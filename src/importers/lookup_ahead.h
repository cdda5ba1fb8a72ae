#ifndef EXTRATO_IMPORTERS_LOOKUP_AHEAD_H_
#define EXTRATO_IMPORTERS_LOOKUP_AHEAD_H_

// The duplicate lookup of the import run, fetched ahead: the answers for the
// movements that follow the one asked about come in the same request
// (GetPesqLancLote), so that a run does not wait a round trip per movement.
//
// Answers are the same as one GetPesqLanc per movement: each is used only for the
// very arguments it was fetched with (anything else is fetched again), and nothing
// the run stores in between is what the lookup reads, since movements are stored
// only by the submission at the end and the headers saved meanwhile are another
// table. What the run does with an answer is unchanged.

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string_view>

#include "host/net_connection.h"
#include "host/record_set.h"
#include "host/text_file.h"

namespace importers {

struct Layout;

// Most lookups one request carries unless an import says otherwise.
inline constexpr std::size_t kReadAheadLimit = 4000;

class LookupAhead {
 public:
  // The arguments of the lookup the run would make for a line ahead, or none when
  // the line does not look like a movement.
  using Predict =
      std::function<std::optional<host::Variant>(std::string_view line, std::size_t number)>;

  // `limit`: most lookups one request carries; 0 looks every movement up on its own.
  LookupAhead(const host::TNetConnection& connection, const host::TextFile& file, Predict predict,
              std::size_t limit = kReadAheadLimit);

  // What GetPesqLanc answers for `arguments` (account, document, date, amount),
  // the lookup of the movement on the line the file read last. Valid until the next
  // call.
  const host::Packet& Find(const host::Variant& arguments);

 private:
  struct Answer {
    std::size_t line;
    host::Variant arguments;
    host::Variant rows;
  };
  void Fetch(const host::Variant& arguments, std::size_t line);

  const host::TNetConnection& connection_;
  const host::TextFile& file_;
  Predict predict_;
  std::size_t limit_;
  std::deque<Answer> ahead_;
  // The fields of the answers as they came, and the answer last given: most are
  // empty, and an empty one is the fields alone, kept for the next.
  host::Variant found_fields_;
  host::Packet answer_;
  // Sets of the next request: it starts at one, so a run that looks up only its
  // first movement asks for no more, and doubles up to the limit.
  std::size_t window_ = 1;
};

// The arguments of the duplicate lookup of a movement: the run's and the read-ahead's,
// so that a prediction is the lookup the run makes.
host::Variant LookupArguments(const std::string& account, std::string_view document,
                              const host::Date& date, double amount);

// The lookup arguments of a line of the layout as the run would make them with the
// account resolved now, when the line looks like a movement that converts.
std::optional<host::Variant> PredictLookup(const Layout& layout, std::string_view line,
                                           std::size_t number, const std::string& account);

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_LOOKUP_AHEAD_H_
