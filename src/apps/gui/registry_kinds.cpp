#include "apps/gui/registry_kinds.h"

#include <QFileInfo>

#include "apps/common/brazilian_format.h"
#include "layouts/layouts.h"
#include "server/account_number.h"

namespace gui {

namespace {

QString TypeName(const std::string& letter) {
  return QString::fromStdString(server::AccountTypeName(letter));
}

QString LocalMoment(const std::string& utc) {
  return QString::fromStdString(apps::LocalDateTime(utc));
}

QString DateShown(const std::string& iso) {
  std::optional<host::Date> date = host::Date::FromIso(iso);
  return date ? QString::fromStdString(apps::BrazilianDate(*date)) : QString::fromStdString(iso);
}

QString FileName(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).fileName();
}

}  // namespace

FormField TypedField(QString label, std::string column, int max_length, bool key) {
  FormField field;
  field.label = std::move(label);
  field.column = std::move(column);
  field.max_length = max_length;
  field.key = key;
  return field;
}

FormField PickedField(QString label, std::string column, QStringList choices, QStringList values) {
  FormField field;
  field.label = std::move(label);
  field.column = std::move(column);
  field.choices = std::move(choices);
  field.values = std::move(values);
  return field;
}

RegistryKind BanksKind() {
  RegistryKind kind;
  kind.title = QStringLiteral("Bancos");
  kind.object_name = QStringLiteral("wndBancos");
  kind.list_method = "GetBancos";
  kind.columns = {{"CDBANCO", QStringLiteral("Código")},
                  {"NMBANCO", QStringLiteral("Nome")},
                  {"CDBANCCNAB", QStringLiteral("CNAB")},
                  {"CDPICTCONT", QStringLiteral("Máscara da conta")}};
  kind.form = {TypedField(QStringLiteral("Código"), "CDBANCO", 3, true),
               TypedField(QStringLiteral("Nome"), "NMBANCO", 30),
               TypedField(QStringLiteral("Código CNAB"), "CDBANCCNAB", 3),
               TypedField(QStringLiteral("Máscara da conta, como o banco imprime o número (9 por "
                                         "dígito, \"-\" antes do verificador: 99999-9)"),
                          "CDPICTCONT", 20)};
  kind.add_method = "IncluiBanco";
  kind.change_method = "AlteraBanco";
  kind.remove_method = "ExcluiBanco";
  kind.key_column = "CDBANCO";
  kind.remove_question = QStringLiteral("Excluir o banco %1?");
  return kind;
}

RegistryKind AccountsKind() {
  RegistryKind kind;
  kind.title = QStringLiteral("Contas correntes");
  kind.object_name = QStringLiteral("wndContas");
  kind.list_method = "GetContas";
  kind.list_params = {""};
  kind.columns = {
      {"CDREDUCONT", QStringLiteral("Código")},          {"CDBANCO", QStringLiteral("Banco")},
      {"CDAGENCIA", QStringLiteral("Agência")},          {"NRCONTEXIB", QStringLiteral("Número")},
      {"IDTIPOCONTA", QStringLiteral("Tipo"), TypeName}, {"NMCONTCORR", QStringLiteral("Nome")}};
  kind.form = {TypedField(QStringLiteral("Código reduzido"), "CDREDUCONT", 3, true),
               TypedField(QStringLiteral("Banco"), "CDBANCO", 3),
               TypedField(QStringLiteral("Agência"), "CDAGENCIA", 5),
               TypedField(QStringLiteral("Número (como o banco o escreve)"), "NRCONTEXIB", 25),
               PickedField(QStringLiteral("Tipo"), "IDTIPOCONTA",
                           {QStringLiteral("Circulante"), QStringLiteral("Aplicação"),
                            QStringLiteral("Garantida")},
                           {QStringLiteral("C"), QStringLiteral("L"), QStringLiteral("G")}),
               TypedField(QStringLiteral("Nome"), "NMCONTCORR", 40)};
  kind.add_method = "IncluiConta";
  kind.change_method = "AlteraConta";
  kind.remove_method = "ExcluiConta";
  kind.key_column = "CDREDUCONT";
  kind.remove_question = QStringLiteral("Excluir a conta corrente %1?");
  return kind;
}

RegistryKind LayoutsKind(const std::string& company) {
  RegistryKind kind;
  kind.title =
      QStringLiteral("Layouts por banco (empresa %1)").arg(QString::fromStdString(company));
  kind.object_name = QStringLiteral("wndLayouts");
  kind.list_method = "GetLayouts";
  kind.list_params = {company};
  kind.columns = {{"CDBANCO", QStringLiteral("Banco")}, {"IDLAYOUT", QStringLiteral("Layout")}};
  QStringList captions;
  QStringList codes;
  for (const std::string& code : importers::CompanyLayoutCodes()) {
    codes << QString::fromStdString(code);
    captions << QStringLiteral("%1 colunas").arg(QString::fromStdString(code));
  }
  kind.form = {TypedField(QStringLiteral("Banco"), "CDBANCO", 3, true),
               PickedField(QStringLiteral("Layout"), "IDLAYOUT", captions, codes)};
  kind.prefix = {company};
  kind.add_method = "SetLayout";
  kind.change_method = "SetLayout";
  kind.remove_method = "SetLayout";
  kind.remove_suffix = {""};
  kind.key_column = "CDBANCO";
  kind.remove_caption = QStringLiteral("Remover");
  kind.remove_question = QStringLiteral("Voltar ao layout habitual do banco %1?");
  return kind;
}

RegistryKind ImportsKind() {
  RegistryKind kind;
  kind.title = QStringLiteral("Importações realizadas");
  kind.object_name = QStringLiteral("wndImportacoes");
  kind.list_method = "GetImportacoes";
  kind.columns = {{"NRLOGIMP", QStringLiteral("Nº")},
                  {"DTHRIMPORT", QStringLiteral("Quando"), LocalMoment},
                  {"NMARQUIVO", QStringLiteral("Arquivo"), FileName},
                  {"CDBANCO", QStringLiteral("Banco")},
                  {"CDREDUCONT", QStringLiteral("Conta")},
                  {"QTEXTRATOS", QStringLiteral("Extratos")},
                  {"DTINICIO", QStringLiteral("De"), DateShown},
                  {"DTFIM", QStringLiteral("Até"), DateShown},
                  {"QTMOVREAL", QStringLiteral("Movimentos")},
                  {"NMUSUARIO", QStringLiteral("Por")},
                  {"DTHRDESFEITA", QStringLiteral("Desfeita em"), LocalMoment},
                  {"NMUSUDESFEZ", QStringLiteral("Desfeita por")}};
  kind.remove_method = "DesfazImportacao";
  kind.key_column = "NRLOGIMP";
  kind.remove_caption = QStringLiteral("Desfazer");
  kind.remove_question = QStringLiteral(
      "Desfazer a importação %1 (arquivo %2, conta %3, %4 movimento(s))? Os movimentos que ela "
      "gravou serão excluídos, e os extratos que ela criou, se ficarem vazios.");
  kind.question_columns = {"NMARQUIVO", "CDREDUCONT", "QTMOVREAL"};
  kind.removed_message =
      QStringLiteral("Importação %1 desfeita: %2 movimento(s) e %3 extrato(s) excluídos.");
  kind.removed_fields = {"movements", "statements"};
  return kind;
}

}  // namespace gui
