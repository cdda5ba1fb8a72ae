// The confirm button: checks the inputs again and runs the bank's importer.
#include "screen/dispatch.h"

#include "host/routines.h"
#include "importers/run_state.h"
#include "screen/imp_ext_banc.h"
#include "services/remote.h"

StatementLayout LayoutOfBank(const std::string& cnab,
                             const std::function<std::string()>& itau_layout) {
  if (cnab == "237")
    return StatementLayout::kBradesco;
  if (cnab == "275" || cnab == "356")
    return StatementLayout::kReal;
  if (cnab == "033")
    return StatementLayout::kSantander;
  if (cnab != "341")
    return StatementLayout::kFebraban;
  std::string layout = itau_layout();
  if (layout.empty() || layout == "200")
    return StatementLayout::kItau200;
  return layout == "240" ? StatementLayout::kItau240 : StatementLayout::kNone;
}

std::string AccountTypeCode(const std::string& tipo_conta) {
  if (tipo_conta == "Circulante")
    return "C";
  if (tipo_conta == "Aplicação")
    return "L";
  if (tipo_conta == "Garantida")
    return "G";
  return "C";
}

namespace {

// Element 0 of GetIdLayout's answer, as text. An answer without it is the
// server's failure, not an empty layout.
std::string LayoutCodeOnServer(TfrmImpExtBanc& screen) {
  host::Variant payload = services::CallServer(
      screen.netImpExtBanc, "GetIdLayout",
      host::Variant::array({host::EmprProc(), screen.qryBanco.FieldByName("CDBANCO").AsString()}));
  if (!payload.is_array() || payload.empty()) {
    host::MensErro("O servidor de aplicação não informou o layout de importação do banco.", true);
  }
  const host::Variant& code = payload[0];
  if (code.is_null())
    return "";
  return code.is_string() ? code.get<std::string>() : code.dump();
}

void RunImporter(TfrmImpExtBanc& screen, StatementLayout layout) {
  switch (layout) {
    case StatementLayout::kBradesco:
      screen.Imp_Banco_Bradesco();
      return;
    case StatementLayout::kFebraban:
      screen.Imp_Banco_Padrao_FEBRABAN();
      return;
    case StatementLayout::kReal:
    case StatementLayout::kItau200:
    case StatementLayout::kItau240:
    case StatementLayout::kSantander:
    case StatementLayout::kNone:
      // These layouts have no importer in this version: the user is told so
      // and nothing is read.
      host::MensErro(screen.msgPadrao.Msg("L_NCad"), true);
  }
}

}  // namespace

void TfrmImpExtBanc::sbtConfirmaClick(host::Object&) {
  Vd_Banco(true);
  if (host::EmptyString(edtNmArquivo.Text())) {
    edtNmArquivo.SetFocus();
    host::MensErro(msgPadrao.Msg("Arqu_Inf"), true);
  }
  if (edtNmArquivo.OnExit)
    edtNmArquivo.OnExit(edtNmArquivo);
  stTipoConta = AccountTypeCode(cbTipoConta.Text());
  try {
    ClearRunState();
    arqExtrato.Assign(edtNmArquivo.Text());
    arqExtrato.Reset();
    RunImporter(*this, LayoutOfBank(qryBanco.FieldByName("CDBANCCNAB").AsString(),
                                    [this] { return LayoutCodeOnServer(*this); }));
  } catch (...) {
    // A file that failed to open has nothing to close, and no second failure
    // may hide the first.
    if (arqExtrato.IsOpen())
      arqExtrato.Close();
    throw;
  }
  arqExtrato.Close();
}
