#include "server/registry_methods.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>

#include "host/routines.h"
#include "host/utf8.h"
#include "host/visible_text.h"
#include "layouts/layouts.h"
#include "server/account_number.h"
#include "server/query.h"
#include "server/write_transaction.h"

namespace server {

namespace {

using host::FieldType;
using nlohmann::json;

const std::vector<host::FieldDef> kBankFields = {
    {"CDBANCO", FieldType::kText, 3},
    {"NMBANCO", FieldType::kText, 30},
    {"CDBANCCNAB", FieldType::kText, 3},
    {"CDPICTCONT", FieldType::kText, 20},
};
const std::vector<host::FieldDef> kAccountFields = {
    {"CDREDUCONT", FieldType::kText, 3},  {"CDBANCO", FieldType::kText, 3},
    {"CDAGENCIA", FieldType::kText, 5},   {"NRCONTCORR", FieldType::kText, 20},
    {"IDTIPOCONTA", FieldType::kText, 1}, {"NMCONTCORR", FieldType::kText, 40},
};
const std::vector<host::FieldDef> kLayoutFields = {
    {"CDEMPRESA", FieldType::kText, 10},
    {"CDBANCO", FieldType::kText, 3},
    {"IDLAYOUT", FieldType::kText, 3},
};

// Accounts as listed: the number also as the bank prints it.
constexpr std::string_view kShownNumber = "NRCONTEXIB";

// Codes as the screen's bank field fits them ("33" is "033"), so that they are found.
std::string BankCode(const std::string& typed) {
  std::string code = host::AllTrim(typed);
  return code.empty() ? code : host::Ajusta(code, 3);
}

long long Count(Db& db, const std::string& query, std::vector<SqlValue> params) {
  return QueryNumber(db.session, query, std::move(params));
}

std::optional<std::string> BankMask(Db& db, const std::string& bank) {
  host::Packet found =
      QueryPacket(db.session, "SELECT CDPICTCONT FROM BANCO WHERE CDBANCO = :banco",
                  {TextValue(bank)}, {{"CDPICTCONT", FieldType::kText, 20}});
  if (found.rows.empty())
    return std::nullopt;
  const auto* mask = std::get_if<std::string>(&found.rows[0][0]);
  return mask ? *mask : std::string();
}

Status Required(const std::string& value, std::string_view what) {
  if (host::AllTrim(value).empty())
    return Failure{fmt::format("{} deve ser informado.", what)};
  return Ok();
}

// What a person typed into a field of `size` characters. The arguments take longer
// texts so that this, and not the argument reader, says what is wrong.
Status Fits(const std::string& value, std::string_view what, std::size_t size) {
  std::size_t length = host::Utf8Length(value);
  if (length <= size)
    return Ok();
  return Failure{fmt::format("{} tem no máximo {} caracteres: \"{}\" tem {}.", what, size,
                             host::VisibleText(value), length)};
}

struct TypedField {
  const std::string* value;
  std::string_view what;
  std::size_t size;
};

// The first field that is required and empty, or too long.
Status CheckTyped(std::initializer_list<TypedField> fields, std::size_t required) {
  std::size_t index = 0;
  for (const TypedField& field : fields) {
    Status status = index++ < required ? Required(*field.value, field.what) : Ok();
    if (status.ok())
      status = Fits(*field.value, field.what, field.size);
    if (!status.ok())
      return status;
  }
  return Ok();
}

Result Done(WriteTransaction& transaction) {
  transaction.Commit();
  return json(true);
}

// --- Banks ---

Result GetBancos(Db& db, const Arguments&) {
  return host::ToJson(QueryPacket(
      db.session, "SELECT CDBANCO, NMBANCO, CDBANCCNAB, CDPICTCONT FROM BANCO ORDER BY CDBANCO", {},
      kBankFields));
}

struct BankRow {
  std::string code, name, cnab, mask;
  static BankRow From(const Arguments& args) {
    return {args.Text(0), args.Text(1), args.Text(2), args.Text(3)};
  }
};

// Checks the bank as typed and puts its codes in the stored form.
Status CheckBank(BankRow& bank) {
  Status status = CheckTyped({{&bank.code, "O código do banco", 3},
                              {&bank.name, "O nome do banco", 30},
                              {&bank.cnab, "O código CNAB", 3},
                              {&bank.mask, "A máscara da conta", 20}},
                             2);
  if (!status.ok())
    return status;
  bank.code = BankCode(bank.code);
  bank.cnab = BankCode(bank.cnab);
  if (importers::MaskPlaces(bank.mask) == 0) {
    return Failure{
        "A máscara da conta deve ter ao menos uma posição além do \"-\" (por exemplo, "
        "9999999-9)."};
  }
  return Ok();
}

std::vector<SqlValue> BankValues(const BankRow& bank) {
  return {TextValue(bank.code), TextValue(bank.name), TextValue(bank.cnab), TextValue(bank.mask)};
}

Result IncluiBanco(Db& db, const Arguments& args) {
  BankRow bank = BankRow::From(args);
  Status status = CheckBank(bank);
  if (!status.ok())
    return status.failure();
  WriteTransaction transaction(db.session, db.dialect);
  if (BankMask(db, bank.code))
    return Failure{fmt::format("O banco {} já está cadastrado.", bank.code)};
  Execute(db.session,
          "INSERT INTO BANCO (CDBANCO, NMBANCO, CDBANCCNAB, CDPICTCONT) "
          "VALUES (:codigo, :nome, :cnab, :mascara)",
          BankValues(bank));
  return Done(transaction);
}

Result AlteraBanco(Db& db, const Arguments& args) {
  BankRow bank = BankRow::From(args);
  Status status = CheckBank(bank);
  if (!status.ok())
    return status.failure();
  WriteTransaction transaction(db.session, db.dialect);
  if (!BankMask(db, bank.code))
    return Failure{fmt::format("O banco {} não está cadastrado.", bank.code)};
  // The lookups cut the file's account number to the mask: every stored number
  // must keep fitting it.
  long long misfits =
      Count(db, "SELECT COUNT(*) FROM CONTCORR WHERE CDBANCO = :banco AND LENGTH(NRCONTCORR) <> :n",
            {TextValue(bank.code), TextValue(std::to_string(importers::MaskPlaces(bank.mask)))});
  if (misfits > 0) {
    return Failure{fmt::format(
        "A máscara {} não serve para {} conta(s) corrente(s) do banco {}, cujos números têm "
        "outro número de dígitos.",
        bank.mask, misfits, bank.code)};
  }
  std::vector<SqlValue> values = BankValues(bank);
  std::rotate(values.begin(), values.begin() + 1, values.end());
  Execute(db.session,
          "UPDATE BANCO SET NMBANCO = :nome, CDBANCCNAB = :cnab, CDPICTCONT = :mascara "
          "WHERE CDBANCO = :codigo",
          std::move(values));
  return Done(transaction);
}

Result ExcluiBanco(Db& db, const Arguments& args) {
  std::string code = BankCode(args.Text(0));
  WriteTransaction transaction(db.session, db.dialect);
  if (!BankMask(db, code))
    return Failure{fmt::format("O banco {} não está cadastrado.", code)};
  long long statements =
      Count(db,
            "SELECT COUNT(*) FROM EXTRBANCO E JOIN CONTCORR C ON C.CDREDUCONT = E.CDREDUCONT "
            "WHERE C.CDBANCO = :banco",
            {TextValue(code)});
  if (statements > 0) {
    return Failure{fmt::format(
        "O banco {} não pode ser excluído: suas contas correntes têm {} extrato(s) importado(s).",
        code, statements)};
  }
  long long accounts =
      Count(db, "SELECT COUNT(*) FROM CONTCORR WHERE CDBANCO = :banco", {TextValue(code)});
  if (accounts > 0) {
    return Failure{fmt::format(
        "O banco {} não pode ser excluído: tem {} conta(s) corrente(s) cadastrada(s); exclua-as "
        "antes.",
        code, accounts)};
  }
  Execute(db.session, "DELETE FROM LAYOUTBANCO WHERE CDBANCO = :banco", {TextValue(code)});
  Execute(db.session, "DELETE FROM BANCO WHERE CDBANCO = :banco", {TextValue(code)});
  return Done(transaction);
}

// --- Accounts ---

// An empty bank lists every account.
Result GetContas(Db& db, const Arguments& args) {
  std::vector<SqlValue> params;
  std::string where;
  if (!args.Text(0).empty()) {
    where = "WHERE C.CDBANCO = :banco ";
    params.push_back(TextValue(BankCode(args.Text(0))));
  }
  std::vector<host::FieldDef> fields = kAccountFields;
  fields.push_back({"CDPICTCONT", FieldType::kText, 20});
  host::Packet accounts = QueryPacket(
      db.session,
      "SELECT C.CDREDUCONT, C.CDBANCO, C.CDAGENCIA, C.NRCONTCORR, C.IDTIPOCONTA, C.NMCONTCORR, "
      "B.CDPICTCONT FROM CONTCORR C LEFT JOIN BANCO B ON B.CDBANCO = C.CDBANCO " +
          where + "ORDER BY C.CDREDUCONT",
      std::move(params), fields);
  // The mask column becomes the number as the bank prints it.
  accounts.fields.back() = {std::string(kShownNumber), FieldType::kText, 25};
  for (host::Row& row : accounts.rows) {
    const auto* mask = std::get_if<std::string>(&row.back());
    row.back() = ShownAccountNumber(std::get<std::string>(row[3]), mask ? *mask : "");
  }
  return host::ToJson(accounts);
}

struct AccountRow {
  std::string reduced, bank, agency, number, type, name;
  static AccountRow From(const Arguments& args) {
    return {args.Text(0), args.Text(1), args.Text(2), args.Text(3), args.Text(4), args.Text(5)};
  }
};

// Checks the account as typed and puts its bank code and number in the stored form.
Status PrepareAccount(Db& db, AccountRow& account) {
  Status status = CheckTyped({{&account.reduced, "O código reduzido da conta", 3},
                              {&account.bank, "O banco da conta", 3},
                              {&account.agency, "A agência da conta", 5},
                              {&account.name, "O nome da conta", 40}},
                             3);
  if (!status.ok())
    return status;
  account.bank = BankCode(account.bank);
  // The letter a program sends, or the name a person reads.
  std::string letter = AccountTypeLetter(account.type);
  if (letter != "C" && letter != "L" && letter != "G") {
    return Failure{
        fmt::format("Tipo de conta \"{}\" inválido: use Circulante, Aplicação ou Garantida.",
                    host::VisibleText(account.type))};
  }
  account.type = letter;
  std::optional<std::string> mask = BankMask(db, account.bank);
  if (!mask) {
    return Failure{
        fmt::format("O banco {} não está cadastrado (veja extrato bancos).", account.bank)};
  }
  Expected<std::string> number = StoredAccountNumber(account.number, *mask, account.bank);
  if (!number.ok())
    return number.failure();
  account.number = number.value();
  return Ok();
}

// Two accounts with the same bank, agency, number and type could not be told apart
// by an import.
Status CheckUnique(Db& db, const AccountRow& account) {
  host::Packet same = QueryPacket(
      db.session,
      "SELECT CDREDUCONT FROM CONTCORR WHERE CDBANCO = :banco AND CDAGENCIA = :agencia AND "
      "NRCONTCORR = :numero AND IDTIPOCONTA = :tipo AND CDREDUCONT <> :reduzido",
      {TextValue(account.bank), TextValue(account.agency), TextValue(account.number),
       TextValue(account.type), TextValue(account.reduced)},
      {{"CDREDUCONT", FieldType::kText, 3}});
  if (same.rows.empty())
    return Ok();
  return Failure{
      fmt::format("A conta corrente {} já tem o mesmo banco, agência, número e tipo de conta.",
                  std::get<std::string>(same.rows[0][0]))};
}

bool AccountExists(Db& db, const std::string& reduced) {
  return Count(db, "SELECT COUNT(*) FROM CONTCORR WHERE CDREDUCONT = :conta",
               {TextValue(reduced)}) > 0;
}

Result StoreAccount(Db& db, const Arguments& args, bool adding) {
  AccountRow account = AccountRow::From(args);
  WriteTransaction transaction(db.session, db.dialect);
  Status status = PrepareAccount(db, account);
  if (status.ok())
    status = CheckUnique(db, account);
  if (!status.ok())
    return status.failure();
  bool exists = AccountExists(db, account.reduced);
  if (adding && exists)
    return Failure{fmt::format("A conta corrente {} já está cadastrada.", account.reduced)};
  if (!adding && !exists)
    return Failure{fmt::format("A conta corrente {} não está cadastrada.", account.reduced)};
  std::vector<SqlValue> values = {TextValue(account.bank),   TextValue(account.agency),
                                  TextValue(account.number), TextValue(account.type),
                                  TextValue(account.name),   TextValue(account.reduced)};
  Execute(db.session,
          adding ? "INSERT INTO CONTCORR (CDBANCO, CDAGENCIA, NRCONTCORR, IDTIPOCONTA, "
                   "NMCONTCORR, CDREDUCONT) VALUES (:banco, :agencia, :numero, :tipo, :nome, "
                   ":reduzido)"
                 : "UPDATE CONTCORR SET CDBANCO = :banco, CDAGENCIA = :agencia, NRCONTCORR = "
                   ":numero, IDTIPOCONTA = :tipo, NMCONTCORR = :nome WHERE CDREDUCONT = :reduzido",
          std::move(values));
  return Done(transaction);
}

Result IncluiConta(Db& db, const Arguments& args) {
  return StoreAccount(db, args, true);
}

Result AlteraConta(Db& db, const Arguments& args) {
  return StoreAccount(db, args, false);
}

Result ExcluiConta(Db& db, const Arguments& args) {
  const std::string& reduced = args.Text(0);
  WriteTransaction transaction(db.session, db.dialect);
  if (!AccountExists(db, reduced))
    return Failure{fmt::format("A conta corrente {} não está cadastrada.", reduced)};
  long long statements =
      Count(db, "SELECT COUNT(*) FROM EXTRBANCO WHERE CDREDUCONT = :conta", {TextValue(reduced)});
  if (statements > 0) {
    return Failure{
        fmt::format("A conta corrente {} não pode ser excluída: tem {} extrato(s) importado(s).",
                    reduced, statements)};
  }
  Execute(db.session, "DELETE FROM CONTCORR WHERE CDREDUCONT = :conta", {TextValue(reduced)});
  return Done(transaction);
}

// --- The company's layout per bank ---

Result GetLayouts(Db& db, const Arguments& args) {
  return host::ToJson(QueryPacket(db.session,
                                  "SELECT CDEMPRESA, CDBANCO, IDLAYOUT FROM LAYOUTBANCO WHERE "
                                  "CDEMPRESA = :empresa ORDER BY CDBANCO",
                                  {TextValue(args.Text(0))}, kLayoutFields));
}

// Who may take a layout, as the refusal names them: the CNAB codes and the banks'
// names of the table's rows that the company chooses among.
std::string BanksOfCompanyLayouts() {
  std::vector<std::string> codes = importers::CnabCodesOfCompanyLayouts();
  std::vector<std::string> names;
  for (const std::string& code : codes) {
    for (const importers::Layout* layout : importers::LayoutsOfBank(code)) {
      std::string name(importers::BankOfCaption(*layout));
      if (std::find(names.begin(), names.end(), name) == names.end())
        names.push_back(name);
    }
  }
  return fmt::format("{} ({})", fmt::join(codes, ", "), fmt::join(names, ", "));
}

// A bank of one layout would keep the choice and read its files as before.
Status CheckHasCompanyLayouts(Db& db, const std::string& bank) {
  std::vector<std::string> cnab_codes = importers::CnabCodesOfCompanyLayouts();
  host::Packet banks =
      QueryPacket(db.session, "SELECT CDBANCO, CDBANCCNAB FROM BANCO ORDER BY CDBANCO", {},
                  {{"CDBANCO", FieldType::kText, 3}, {"CDBANCCNAB", FieldType::kText, 3}});
  std::vector<std::string> able;
  bool bank_able = false;
  for (const host::Row& row : banks.rows) {
    const auto* cnab = std::get_if<std::string>(&row[1]);
    if (cnab == nullptr ||
        std::find(cnab_codes.begin(), cnab_codes.end(), *cnab) == cnab_codes.end())
      continue;
    able.push_back(std::get<std::string>(row[0]));
    bank_able = bank_able || able.back() == bank;
  }
  if (bank_able)
    return Ok();
  std::string registered =
      able.empty() ? "nenhum cadastrado" : fmt::format("cadastrados: {}", fmt::join(able, ", "));
  return Failure{fmt::format(
      "O banco {} tem um só layout, que a empresa não escolhe: só os bancos de código CNAB {} "
      "são lidos no layout de {} colunas, como a empresa escolher ({}).",
      bank, BanksOfCompanyLayouts(), fmt::join(importers::CompanyLayoutCodes(), " ou de "),
      registered)};
}

// An empty layout forgets the company's choice: the bank's usual layout applies.
Result SetLayout(Db& db, const Arguments& args) {
  const std::string& company = args.Text(0);
  std::string bank = BankCode(args.Text(1));
  const std::string& layout = args.Text(2);
  std::vector<std::string> codes = importers::CompanyLayoutCodes();
  if (!layout.empty() && std::find(codes.begin(), codes.end(), layout) == codes.end()) {
    return Failure{
        fmt::format("Layout \"{}\" inválido: use {}.", layout, fmt::join(codes, " ou "))};
  }
  Status status = Required(company, "O código da empresa");
  if (!status.ok())
    return status.failure();
  WriteTransaction transaction(db.session, db.dialect);
  if (!BankMask(db, bank))
    return Failure{fmt::format("O banco {} não está cadastrado.", bank)};
  if (!layout.empty()) {
    Status status = CheckHasCompanyLayouts(db, bank);
    if (!status.ok())
      return status.failure();
  }
  std::vector<SqlValue> key = {TextValue(company), TextValue(bank)};
  Execute(db.session, "DELETE FROM LAYOUTBANCO WHERE CDEMPRESA = :empresa AND CDBANCO = :banco",
          key);
  if (!layout.empty()) {
    key.push_back(TextValue(layout));
    Execute(db.session,
            "INSERT INTO LAYOUTBANCO (CDEMPRESA, CDBANCO, IDLAYOUT) VALUES (:empresa, :banco, "
            ":layout)",
            std::move(key));
  }
  return Done(transaction);
}

constexpr Param kBankCode{ArgKind::kText, "código do banco", 3};
constexpr Param kReduced{ArgKind::kText, "código reduzido da conta", 3};
constexpr Param kCompany{ArgKind::kText, "código da empresa", 10};
// What a person types: the methods check each field's own size and name it.
constexpr int kTyped = 200;
const std::vector<Param> kBankParams = {{ArgKind::kText, "código do banco", kTyped},
                                        {ArgKind::kText, "nome do banco", kTyped},
                                        {ArgKind::kText, "código CNAB", kTyped},
                                        {ArgKind::kText, "máscara da conta", kTyped}};
const std::vector<Param> kAccountParams = {{ArgKind::kText, "código reduzido da conta", kTyped},
                                           {ArgKind::kText, "código do banco", kTyped},
                                           {ArgKind::kText, "agência", kTyped},
                                           {ArgKind::kText, "número da conta", kTyped},
                                           {ArgKind::kText, "tipo de conta", kTyped},
                                           {ArgKind::kText, "nome da conta", kTyped}};

}  // namespace

std::vector<Method> RegistryMethods() {
  return {
      {"GetBancos", {}, GetBancos},
      {"IncluiBanco", kBankParams, IncluiBanco},
      {"AlteraBanco", kBankParams, AlteraBanco},
      {"ExcluiBanco", {kBankCode}, ExcluiBanco},
      {"GetContas", {kBankCode}, GetContas},
      {"IncluiConta", kAccountParams, IncluiConta},
      {"AlteraConta", kAccountParams, AlteraConta},
      {"ExcluiConta", {kReduced}, ExcluiConta},
      {"GetLayouts", {kCompany}, GetLayouts},
      {"SetLayout", {kCompany, kBankCode, {ArgKind::kText, "layout", 3}}, SetLayout},
  };
}

}  // namespace server
