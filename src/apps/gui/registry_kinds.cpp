#include "apps/gui/registry_kinds.h"

#include "layouts/layouts.h"

namespace gui {

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
               TypedField(QStringLiteral("Máscara da conta (ex.: 9999999-9)"), "CDPICTCONT", 20)};
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
      {"CDREDUCONT", QStringLiteral("Código")}, {"CDBANCO", QStringLiteral("Banco")},
      {"CDAGENCIA", QStringLiteral("Agência")}, {"NRCONTEXIB", QStringLiteral("Número")},
      {"IDTIPOCONTA", QStringLiteral("Tipo")},  {"NMCONTCORR", QStringLiteral("Nome")}};
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
                  {"DTHRIMPORT", QStringLiteral("Quando (UTC)")},
                  {"NMARQUIVO", QStringLiteral("Arquivo")},
                  {"CDBANCO", QStringLiteral("Banco")},
                  {"CDREDUCONT", QStringLiteral("Conta")},
                  {"QTEXTRATOS", QStringLiteral("Extratos")},
                  {"DTINICIO", QStringLiteral("De")},
                  {"DTFIM", QStringLiteral("Até")},
                  {"QTMOVREAL", QStringLiteral("Movimentos")},
                  {"NMUSUARIO", QStringLiteral("Por")},
                  {"DTHRDESFEITA", QStringLiteral("Desfeita em")},
                  {"NMUSUDESFEZ", QStringLiteral("Desfeita por")}};
  kind.remove_method = "DesfazImportacao";
  kind.key_column = "NRLOGIMP";
  kind.remove_caption = QStringLiteral("Desfazer");
  kind.remove_question = QStringLiteral(
      "Desfazer a importação %1? Os movimentos que ela gravou serão excluídos, e os extratos que "
      "ela criou, se ficarem vazios.");
  return kind;
}

}  // namespace gui
