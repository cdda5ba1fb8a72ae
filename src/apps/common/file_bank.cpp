#include "apps/common/file_bank.h"

#include <algorithm>
#include <set>

#include <fmt/format.h>

#include "host/text_file.h"
#include "host/visible_text.h"
#include "layouts/layouts.h"

namespace apps {

namespace {

using nlohmann::json;

std::string Text(const json& value) {
  return value.is_string() ? value.get<std::string>() : "";
}

std::vector<RegisteredBank> Registry(const ServerCall& call) {
  std::vector<RegisteredBank> banks;
  for (const json& row : call("GetBancos", json::array()).value("rows", json::array()))
    banks.push_back({Text(row[0]), Text(row[1]), Text(row[2]), Text(row[3])});
  return banks;
}

const importers::Layout* LayoutOf(const RegisteredBank& bank, const ServerCall& call,
                                  const std::string& company) {
  return importers::LayoutOfBank(bank.cnab, [&] {
    json answer = call("GetIdLayout", {company, bank.code});
    return answer.is_array() && !answer.empty() ? Text(answer[0]) : std::string();
  });
}

std::string CodeText(const std::string& code) {
  return code.empty() ? "(em branco)" : host::VisibleText(code);
}

// "200 ou 240": the widths of the table's rows.
std::string TableWidths() {
  std::set<std::size_t> widths;
  for (const importers::Layout& row : importers::Layouts())
    widths.insert(row.width);
  std::vector<std::string> texts;
  for (std::size_t width : widths)
    texts.push_back(std::to_string(width));
  std::string last = texts.back();
  texts.pop_back();
  return texts.empty() ? last : fmt::format("{} ou {}", fmt::join(texts, ", "), last);
}

// Why the file's records name no one bank code; nothing when they do.
std::optional<std::string> CodeProblem(const importers::FileRecognition& file) {
  if (file.width == 0) {
    return fmt::format(
        "As linhas do arquivo não têm a largura de um extrato ({} colunas): não foi possível "
        "reconhecer o banco.",
        TableWidths());
  }
  if (file.banks.empty())
    return "O arquivo não tem registros de extrato: não foi possível reconhecer o banco.";
  if (file.banks.size() > 1) {
    std::vector<std::string> codes;
    std::transform(file.banks.begin(), file.banks.end(), std::back_inserter(codes), CodeText);
    return fmt::format("Os registros do arquivo trazem mais de um código de banco: {}.",
                       fmt::join(codes, ", "));
  }
  if (file.banks.front().empty())
    return "O arquivo não traz o código do banco.";
  return std::nullopt;
}

std::string WidthText(const RegisteredBank& bank) {
  return bank.layout ? fmt::format("{} em {} colunas", BankLabel(bank), bank.layout->width)
                     : fmt::format("{} em nenhum layout", BankLabel(bank));
}

}  // namespace

importers::FileRecognition RecogniseFile(const std::string& path) {
  host::TextFile file;
  file.Assign(path);
  file.Reset();
  importers::FileRecogniser recogniser;
  while (!file.Eof())
    recogniser.Read(file.ReadLn());
  file.Close();
  return recogniser.Result();
}

FileBank BankOfFile(const importers::FileRecognition& file, const ServerCall& call,
                    const std::string& company) {
  FileBank found{file, {}, ""};
  if (auto problem = CodeProblem(file)) {
    found.problem = *problem;
    return found;
  }
  const std::string& cnab = file.banks.front();
  std::vector<RegisteredBank> of_code;
  for (RegisteredBank& bank : Registry(call)) {
    if (bank.cnab == cnab)
      of_code.push_back(std::move(bank));
  }
  if (of_code.empty()) {
    found.problem = fmt::format("Nenhum banco cadastrado tem o código {}, que o arquivo traz.",
                                host::VisibleText(cnab));
    return found;
  }
  std::vector<std::string> other_widths;
  for (RegisteredBank& bank : of_code) {
    bank.layout = LayoutOf(bank, call, company);
    if (bank.layout && bank.layout->width == file.width)
      found.banks.push_back(bank);
    else
      other_widths.push_back(WidthText(bank));
  }
  if (found.banks.empty()) {
    found.problem = fmt::format(
        "O arquivo traz o banco {} em registros de {} colunas, mas o banco cadastrado com esse "
        "código é lido em outra largura: {}.",
        host::VisibleText(cnab), file.width, fmt::join(other_widths, "; "));
  }
  return found;
}

std::optional<RegisteredBank> FindBank(const std::string& code, const ServerCall& call) {
  for (RegisteredBank& bank : Registry(call)) {
    if (bank.code == code)
      return std::move(bank);
  }
  return std::nullopt;
}

std::string BankLabel(const RegisteredBank& bank) {
  return fmt::format("{} ({})", host::VisibleText(bank.code), host::VisibleText(bank.name));
}

std::string RecognisedText(const RegisteredBank& bank) {
  return fmt::format("Banco {} reconhecido pelo arquivo.", BankLabel(bank));
}

std::string SeveralBanksText(const FileBank& found) {
  std::vector<std::string> labels;
  std::transform(found.banks.begin(), found.banks.end(), std::back_inserter(labels), BankLabel);
  return fmt::format(
      "O arquivo traz o banco {}, que mais de um banco cadastrado lê em {} colunas: {}.",
      host::VisibleText(found.file.banks.front()), found.file.width, fmt::join(labels, ", "));
}

std::optional<std::string> OtherBankWarning(const importers::FileRecognition& file,
                                            const RegisteredBank& chosen) {
  if (file.banks.size() != 1 || file.banks.front().empty() || file.banks.front() == chosen.cnab)
    return std::nullopt;
  return fmt::format(
      "O arquivo traz o banco {}, e o banco informado, {}, tem o código {}: a importação segue "
      "com o banco informado.",
      host::VisibleText(file.banks.front()), BankLabel(chosen), host::VisibleText(chosen.cnab));
}

json RecognitionJson(const importers::FileRecognition& file, const RegisteredBank& bank) {
  json statements = json::array();
  if (bank.layout) {
    for (const importers::StatementAccount& account :
         importers::StatementAccounts(*bank.layout, file, bank.mask)) {
      statements.push_back(
          {{"line", account.line}, {"agency", account.agency}, {"account", account.account}});
    }
  }
  return {{"cnab", file.banks.size() == 1 ? json(file.banks.front()) : json()},
          {"width", file.width},
          {"bank", bank.code},
          {"statements", statements}};
}

}  // namespace apps
