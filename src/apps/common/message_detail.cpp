#include "apps/common/message_detail.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>

#include <fmt/format.h>

#include "host/utf8.h"
#include "host/visible_text.h"
#include "layouts/layouts.h"
#include "layouts/recognise.h"
#include "server/account_number.h"

namespace apps {

namespace {

using host::Variant;

constexpr const char* kAccountNotFound = "Conta corrente não cadastrada.";
constexpr const char* kBankNotFound = "Banco não cadastrado.";
constexpr const char* kFileMissing = "Arquivo não existe.";
constexpr const char* kNoData = "Arquivo não possui dados para importação.";
constexpr const char* kBankNotInFile = "Banco não encontrado no arquivo.";
constexpr const char* kNotAStatement = "Arquivo informado não é um arquivo de extrato bancário.";
// Banks named in a detail before it says "..." instead.
constexpr const char* kCallCutPrefix = "A conexão com o servidor de aplicação em ";
constexpr const char* kCallCutDetail =
    "Cada importação é gravada inteira, numa só transação, ou nada dela é gravado: confira no "
    "histórico de importações se esta foi gravada antes de a conexão cair.";
constexpr std::size_t kBanksNamed = 20;
constexpr const char* kMaskMeaning =
    "MÁSCARA é o formato do número da conta como esse banco o imprime: um 9 por dígito e \"-\" "
    "antes do dígito verificador (por exemplo 99999-9 para cinco dígitos e o verificador).";

std::string Text(const Variant& value) {
  return value.is_string() ? value.get<std::string>() : "";
}

// Whether a text goes into a pasted command as it stands.
bool ShellSafe(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
  });
}

// The first reduced code no account has, so that the suggested command can be run
// as it is; "CÓDIGO" when the accounts cannot be read.
std::string FreeAccountCode(const DetailContext& context) {
  std::set<std::string> taken;
  try {
    if (!context.call)
      return "CÓDIGO";
    for (const Variant& row :
         context.call("GetContas", Variant::array({""})).value("rows", Variant::array())) {
      taken.insert(Text(row[0]));
    }
  } catch (const std::exception&) {
    return "CÓDIGO";
  }
  for (int code = 1; code <= 999; ++code) {
    std::string text = fmt::format("{:03}", code);
    if (!taken.contains(text))
      return text;
  }
  return "CÓDIGO";
}

std::optional<std::string> AccountDetail(const DetailContext& context) {
  if (context.run == nullptr || !context.run->LastLookup())
    return std::nullopt;
  // As the file and the screen give them; a lookup by beginnings looks for these.
  const importers::RunObserver::AccountLookup& lookup = *context.run->LastLookup();
  std::string bank = lookup.bank;
  std::string agency = lookup.agency;
  std::string number = lookup.number.empty()
                           ? lookup.number
                           : server::ShownAccountNumber(lookup.number, lookup.mask);
  std::string type = server::AccountTypeName(lookup.type);
  std::string looked_up = fmt::format("Procurada: banco {}, agência {}, conta {}, tipo {}.", bank,
                                      host::VisibleText(agency), host::VisibleText(number), type);
  if (context.registration == Registration::kMenu)
    return looked_up + " Para cadastrá-la: menu Cadastros → Contas correntes → Incluir.";
  if (!ShellSafe(agency) || !ShellSafe(number))
    return looked_up + " Para cadastrá-la: extrato contas incluir (veja extrato contas --help).";
  return fmt::format(
      "{} Para cadastrá-la: extrato contas incluir --code {} --bank {} --agency {} --number {} "
      "--type {}",
      looked_up, FreeAccountCode(context), bank, agency, number, type);
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
  bool menu = context.registration == Registration::kMenu;
  std::string add = menu
                        ? "menu Cadastros → Bancos → Incluir"
                        : fmt::format("extrato bancos incluir --code {} --name NOME --mask MÁSCARA",
                                      context.bank.empty() ? "CÓDIGO" : context.bank);
  std::string mask = menu ? "" : std::string(" ") + kMaskMeaning;
  if (banks.empty()) {
    std::string demo = menu ? "" : " (ou extrato db demo, para os bancos de demonstração)";
    return fmt::format("Não há banco cadastrado. Para incluir um: {}{}.{}", add, demo, mask);
  }
  std::string codes;
  for (std::size_t i = 0; i < banks.size() && i < kBanksNamed; ++i)
    codes += (i ? ", " : "") + Text(banks[i][0]);
  if (banks.size() > kBanksNamed)
    codes += ", ...";
  return fmt::format("Bancos cadastrados: {}. Para incluir o banco {}: {}.{}", codes, context.bank,
                     add, mask);
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
                     importers::BankOfCaption(*layout), *width, choose);
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

std::optional<std::string> MissingFileDetail(const std::string& path) {
  if (path.empty())
    return std::nullopt;
  if (std::optional<std::string> not_a_file = NotAFileDetail(path))
    return not_a_file;
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::error_code error;
  if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
    return fmt::format("Não há o arquivo {}: a pasta {} não existe.", host::VisibleText(path),
                       host::VisibleText(folder.string()));
  }
  return fmt::format("Não há o arquivo {}.", host::VisibleText(path));
}

std::optional<std::size_t> CommonLineWidth(const std::string& path, int lines) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  importers::LineWidths widths;
  std::string line;
  for (int read = 0; read < lines && std::getline(file, line); ++read) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    widths.Count(line);
  }
  return widths.Common();
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
    return MissingFileDetail(context.file);
  if (text == kNoData || text == kNotAStatement || text == kBankNotInFile)
    return WidthDetail(context);
  if (text.starts_with(kCallCutPrefix))
    return kCallCutDetail;
  return std::nullopt;
}

}  // namespace apps
