#include "screen/messages_table.h"

std::vector<std::string> ImpExtBancMessages() {
  return {
      "Banco_Inf|Banco deve ser informado.",
      "Banco_NCad|Banco não cadastrado.",
      "Arq_N_Exist|Arquivo não existe.",
      "Arqu_Inf|Arquivo origem deve ser informado.",
      "Banco_Inv|Banco não encontrado no arquivo.",
      "L_NCad|Banco informado não possui arquivo de importação cadastrado.",
      "Arqu_JaImp|Arquivo já importado para a conta corrente de código reduzido %s.",
      "Import_Suces|A importação de extrato bancário foi realizada com sucesso.",
      "Arqu_Sem_Dados|Arquivo não possui dados para importação.",
      "CodRedu_NCad|Conta corrente não cadastrada.",
      "Arquivo_Inv|Arquivo informado não é um arquivo de extrato bancário.",
      "Extrato_Ja_Imp|Os dados contidos no arquivo já existem no sistema.",
      "Val_Iguais|Existem neste arquivo movimentações com mesmo número, valor e data, deseja "
      "realizar a importação?",
      "S|Sim",
      "N|Não",
      "Mov_JaImp|Já existe uma movimentação com mesmo número, valor e data importada no sistema, "
      "deseja realizar a importação?",
      "Import_Cancel|Importação cancelada com sucesso.",
      "Saldo_NConf|O extrato %s não confere: %s. Deseja importar assim mesmo?",
      "Conta_Mult|Arquivo contém extratos de mais de uma conta corrente; importe um arquivo por "
      "conta.",
  };
}
