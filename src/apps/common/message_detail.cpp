#include "apps/common/message_detail.h"

#include <filesystem>
#include <fstream>
#include <set>

#include <fmt/format.h>

#include "host/utf8.h"
#include "host/visible_text.h"
#include "layouts/layouts.h"
#include "server/account_number.h"

namespace apps {

namespace {

using host::Variant;

constexpr const char* kAccountNotFound = "Conta corrente não cadastrada.";
constexpr const char* kBankNotFound = "Banco não cadastrado.";
constexpr const char* kFileMissing = "Arquivo não existe.";
constexpr const char* kNoData = "Arquivo não possui dados para importação.";
constexpr const char* kNotAStatement = "Arquivo informado não é um arquivo de extrato bancário.";
// Banks named in a detail before it says "..." instead.
constexpr const char* kCallCutPrefix = "A conexão com o servidor de aplicação em ";
constexpr const char* kCallCutDetail =
    "Cada importação é gravada inteira, numa só transação, ou nada dela é gravado: confira no "
    "histórico de importações se esta foi gravada antes de a conexão cair.";
constexpr std::size_t kBanksNamed = 20;

std::string Text(const Variant& value) {
  return value.is_string() ? value.get<std::string>() : "";
}

std::optional<std::string> AccountDetail(const DetailContext& context) {
  if (context.run == nullptr || !context.run->LastLookup())
    return std::nullopt;
  // As the file and the screen give them; a lookup by beginnings looks for these.
  const importers::RunObserver::AccountLookup& lookup = *context.run->LastLookup();
  std::string bank = lookup.bank;
  std::string agency = host::VisibleText(lookup.agency);
  std::string number = lookup.number.empty()
                           ? lookup.number
                           : server::ShownAccountNumber(lookup.number, lookup.mask);
  std::string type = server::AccountTypeName(lookup.type);
  number = host::VisibleText(number);
  std::string looked_up = fmt::format("Procurada: banco {}, agência {}, conta {}, tipo {}.", bank,
                                      agency, number, type);
  if (context.registration == Registration::kMenu)
    return looked_up + " Para cadastrá-la: menu Cadastros → Contas correntes → Incluir.";
  return fmt::format(
      "{} Para cadastrá-la: extrato contas incluir --code CÓDIGO --bank {} --agency {} --number "
      "{} --type {} --name NOME",
      looked_up, bank, agency, number, type);
}

Variant Banks(const DetailContext& context) {
  try {
    return context.call
               ? context.call("GetBancos", Variant::array()).value("rows", Variant::array())
               : Variant::array();
  } catch (const std::exception&) {
    return Variant::array();
  }
}

std::optional<std::string> BankDetail(const DetailContext& context) {
  Variant banks = Banks(context);
  std::string add = context.registration == Registration::kMenu
                        ? "menu Cadastros → Bancos → Incluir"
                        : fmt::format(
                              "extrato bancos incluir --code {} --name NOME --mask "
                              "9999999-9",
                              context.bank.empty() ? "CÓDIGO" : context.bank);
  if (banks.empty()) {
    std::string demo = context.registration == Registration::kMenu
                           ? ""
                           : " (ou extrato db demo, para os bancos de demonstração)";
    return fmt::format("Não há banco cadastrado. Para incluir um: {}{}.", add, demo);
  }
  std::string codes;
  for (std::size_t i = 0; i < banks.size() && i < kBanksNamed; ++i)
    codes += (i ? ", " : "") + Text(banks[i][0]);
  if (banks.size() > kBanksNamed)
    codes += ", ...";
  return fmt::format("Bancos cadastrados: {}. Para incluir o banco {}: {}.", codes, context.bank,
                     add);
}

// The company's choice that makes the bank of `chosen` read lines of that width,
// when the bank's layouts are chosen by the company and one reads them.
std::optional<std::string> CompanyLayoutOfWidth(const importers::Layout& chosen,
                                                std::size_t width) {
  if (chosen.company_layouts.empty() || chosen.cnab_codes.empty())
    return std::nullopt;
  for (const importers::Layout* other : importers::LayoutsOfBank(chosen.cnab_codes.front())) {
    if (other->width != width)
      continue;
    for (const std::string& code : other->company_layouts) {
      if (!code.empty())
        return code;
    }
  }
  return std::nullopt;
}

// The bank's name in a layout's caption: what comes before its first comma.
std::string BankOfCaption(std::string_view caption) {
  return std::string(caption.substr(0, caption.find(',')));
}

std::optional<std::string> WidthDetail(const DetailContext& context) {
  std::optional<std::size_t> width = CommonLineWidth(context.file);
  const importers::Layout* layout = context.run ? context.run->Layout() : nullptr;
  if (!width || layout == nullptr || *width == layout->width || (*width != 200 && *width != 240))
    return std::nullopt;
  std::string detail = fmt::format(
      "As linhas do arquivo têm {} colunas, mas o banco {} é lido no layout de {} "
      "colunas: confira o banco informado.",
      *width, context.bank, layout->width);
  std::optional<std::string> code = CompanyLayoutOfWidth(*layout, *width);
  if (!code)
    return detail;
  std::string choose =
      context.registration == Registration::kMenu
          ? "menu Cadastros → Layouts"
          : fmt::format("extrato layouts definir --bank {} --layout {}", context.bank, *code);
  return fmt::format("{} Se o arquivo é do {} em {} colunas, escolha esse layout: {}.", detail,
                     BankOfCaption(layout->caption), *width, choose);
}

}  // namespace

std::optional<std::string> NotAFileDetail(const std::string& path) {
  std::error_code error;
  std::filesystem::file_status status = std::filesystem::status(path, error);
  switch (status.type()) {
    case std::filesystem::file_type::directory:
      return fmt::format("{} é uma pasta, não um arquivo: informe o arquivo de extrato.", path);
    case std::filesystem::file_type::fifo:
      return fmt::format("{} é um FIFO (pipe com nome), não um arquivo de extrato.", path);
    case std::filesystem::file_type::character:
    case std::filesystem::file_type::block:
      return fmt::format("{} é um dispositivo, não um arquivo de extrato.", path);
    case std::filesystem::file_type::socket:
      return fmt::format("{} é um socket, não um arquivo de extrato.", path);
    default:
      return std::nullopt;
  }
}

std::optional<std::size_t> CommonLineWidth(const std::string& path, int lines) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  std::set<std::size_t> widths;
  std::string line;
  for (int read = 0; read < lines && std::getline(file, line); ++read) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (!line.empty())
      widths.insert(host::Utf8Length(line));
  }
  if (widths.size() != 1)
    return std::nullopt;
  return *widths.begin();
}

std::optional<std::string> MessageDetail(const std::string& text, const DetailContext& context) {
  // A file of the other width reads as some account that no one registered.
  if (text == kAccountNotFound) {
    std::optional<std::string> width = WidthDetail(context);
    return width ? width : AccountDetail(context);
  }
  if (text == kBankNotFound)
    return BankDetail(context);
  if (text == kFileMissing)
    return NotAFileDetail(context.file);
  if (text == kNoData || text == kNotAStatement)
    return WidthDetail(context);
  if (text.starts_with(kCallCutPrefix))
    return kCallCutDetail;
  return std::nullopt;
}

}  // namespace apps
