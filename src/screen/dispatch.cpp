// The confirm button: checks the inputs again and runs the bank's importer.
#include "screen/dispatch.h"

#include "host/routines.h"
#include "importers/import_run.h"
#include "layouts/layouts.h"
#include "screen/imp_ext_banc.h"
#include "services/remote.h"

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

// The part of the screen a run reaches.
importers::RunScreen RunScreenOf(TfrmImpExtBanc& screen) {
  return {.connection = screen.netImpExtBanc,
          .messages = screen.msgPadrao,
          .progress = screen.pgbProgresso,
          .sets = {.mask = screen.cdsMaskCont,
                   .account = screen.cdsContCorr,
                   .verified_account = screen.cdsVerificaContCorr,
                   .headers = screen.cdsExtrBanco,
                   .sequence = screen.cdsSequencia,
                   .stored = screen.cdsPesqLanc,
                   .movements = screen.cdsMovReal},
          .bank = screen.medCdBanco.Text(),
          .bank_cnab = screen.qryBanco.FieldByName("CDBANCCNAB").AsString(),
          .focus_bank = [&screen] { screen.medCdBanco.SetFocus(); },
          .repaint = [&screen] { screen.Repaint(); }};
}

void RunImporter(TfrmImpExtBanc& screen) {
  std::string cnab = screen.qryBanco.FieldByName("CDBANCCNAB").AsString();
  const importers::Layout* layout =
      importers::LayoutOfBank(cnab, [&screen] { return LayoutCodeOnServer(screen); });
  // A company layout that no row names reads nothing, and says nothing.
  if (layout)
    screen.Imp_Banco(*layout);
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
    arqExtrato.Assign(edtNmArquivo.Text());
    arqExtrato.Reset();
    RunImporter(*this);
  } catch (...) {
    // A file that failed to open has nothing to close, and no second failure
    // may hide the first.
    if (arqExtrato.IsOpen())
      arqExtrato.Close();
    throw;
  }
  arqExtrato.Close();
}

void TfrmImpExtBanc::Imp_Banco(const importers::Layout& layout) {
  importers::RunImport(RunScreenOf(*this), arqExtrato, stLinha, layout,
                       {.account_type = stTipoConta,
                        .observer = runObserver,
                        .preview = runPreview,
                        .check_balances = runCheckBalances,
                        .read_ahead = runReadAhead});
}
