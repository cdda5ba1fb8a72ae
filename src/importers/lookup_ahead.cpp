#include "importers/lookup_ahead.h"

#include <algorithm>

#include <fmt/format.h>

#include "host/exceptions.h"
#include "host/routines.h"
#include "layouts/conversions.h"
#include "layouts/layout.h"
#include "services/remote.h"

namespace importers {

namespace {

// Lines read ahead for a request: movements are most of a statement's lines.
std::size_t LinesToScan(std::size_t sets) {
  return 2 * sets + 16;
}

}  // namespace

LookupAhead::LookupAhead(const host::TNetConnection& connection, const host::TextFile& file,
                         Predict predict, std::size_t limit)
    : connection_(connection), file_(file), predict_(std::move(predict)), limit_(limit) {}

const host::Packet& LookupAhead::Find(const host::Variant& arguments) {
  if (limit_ == 0) {
    answer_ = host::PacketFromJson(services::CallServer(connection_, "GetPesqLanc", arguments));
    return answer_;
  }
  std::size_t line = file_.LineNumber();
  while (!ahead_.empty() && ahead_.front().line < line)
    ahead_.pop_front();
  if (ahead_.empty() || ahead_.front().line != line || ahead_.front().arguments != arguments) {
    // Guessed wrong: the lines ahead are read otherwise than foreseen, so the next
    // request starts small again instead of fetching much that goes unused.
    if (!ahead_.empty())
      window_ = 1;
    ahead_.clear();
    Fetch(arguments, line);
  }
  // Most movements are new: their empty answer is made without reading any JSON.
  host::Variant& rows = ahead_.front().rows;
  if (rows.empty())
    answer_.rows.clear();
  else
    answer_ = host::PacketFromJson({{"fields", found_fields_}, {"rows", rows}});
  ahead_.pop_front();
  return answer_;
}

void LookupAhead::Fetch(const host::Variant& arguments, std::size_t line) {
  ahead_.push_back({line, arguments, {}});
  host::LineReader reader = file_.ReadAhead();
  for (std::size_t scanned = 0;
       ahead_.size() < window_ && scanned < LinesToScan(window_) && !reader.Eof(); ++scanned) {
    std::string next = reader.ReadLn();
    if (auto predicted = predict_(next, reader.LineNumber()))
      ahead_.push_back({reader.LineNumber(), std::move(*predicted), {}});
  }
  // The sets are written into the request, not copied into a document first.
  host::Variant found = services::CallServerWritten(
      connection_, "GetPesqLancLote", [this](const std::function<void(std::string_view)>& write) {
        write("[[");
        for (std::size_t i = 0; i < ahead_.size(); ++i) {
          write(i ? "," : "");
          write(ahead_[i].arguments.dump());
        }
        write("]]");
      });
  host::Variant& answers = found["answers"];
  if (!answers.is_array() || answers.size() != ahead_.size())
    throw host::EConvertError("Resposta inválida do servidor de aplicação a GetPesqLancLote.");
  answer_ = host::PacketFromJson({{"fields", found["fields"]}, {"rows", host::Variant::array()}});
  found_fields_ = std::move(found["fields"]);
  for (std::size_t i = 0; i < ahead_.size(); ++i)
    ahead_[i].rows = std::move(answers[i]);
  window_ = std::min(window_ * 2, limit_);
}

host::Variant LookupArguments(const std::string& account, std::string_view document,
                              const host::Date& date, double amount) {
  return host::Variant::array(
      {account, host::Ajusta(document, 20), date.ToIso(), host::RoundDec(amount, 2)});
}

std::optional<host::Variant> PredictLookup(const Layout& layout, std::string_view line,
                                           std::size_t number, const std::string& account) {
  if (host::EmptyString(line))
    return std::nullopt;
  if (layout.line_kind(layout, line) != LineKind::kRecord)
    return std::nullopt;
  Record record = ReadRecord(layout, line);
  if (record.kind != layout.kinds.movement || !record.indicator)
    return std::nullopt;
  try {
    host::Date date = ToDate(ToDatePart(record.year, DatePart::kYear, number),
                             ToDatePart(record.month, DatePart::kMonth, number),
                             ToDatePart(record.day, DatePart::kDay, number), "", number);
    return LookupArguments(account, record.document, date,
                           ToAmount(record.whole, record.decimals, number));
  } catch (const host::Exception&) {
    return std::nullopt;  // the run stops at this line; nothing to fetch for it
  }
}

}  // namespace importers
