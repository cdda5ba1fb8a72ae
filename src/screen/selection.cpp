// The user's choice of bank and statement file, checked as it is entered.
#include "host/routines.h"
#include "screen/imp_ext_banc.h"
#include "services/remote.h"

void TfrmImpExtBanc::medCdBancoChange(host::Object&) {
  edtNmBanco.SetText("");
}

void TfrmImpExtBanc::medCdBancoExit(host::Object&) {
  Vd_Banco(false);
}

void TfrmImpExtBanc::Vd_Banco(bool required) {
  try {
    if (required && host::EmptyString(medCdBanco.Text())) {
      host::MensErro(msgPadrao.Msg("Banco_Inf"), true);
    }
    if (host::EmptyString(medCdBanco.Text()))
      return;
    medCdBanco.SetText(host::Ajusta(medCdBanco.Text(), 3));
    qryBanco.Close();
    qryBanco.SetParam("P_CDBANCO", medCdBanco.Text());
    qryBanco.Open();
    if (qryBanco.IsEmpty())
      host::MensErro(msgPadrao.Msg("Banco_NCad"), true);
    edtNmBanco.SetText(qryBanco.FieldByName("NMBANCO").AsString());
  } catch (...) {
    // The message has been shown by now; the focus follows it.
    medCdBanco.SetFocus();
    throw;
  }
}

void TfrmImpExtBanc::btnPesqBancoBeforePesq(host::Object&, bool&) {
  qryBanco.Close();
  qryBanco.ClearParam("P_CDBANCO");
  qryBanco.Open();
}

void TfrmImpExtBanc::btnPesqBancoAfterPesq(host::Object&) {
  medCdBanco.SetText(qryBanco.FieldByName("CDBANCO").AsString());
  edtNmBanco.SetText(qryBanco.FieldByName("NMBANCO").AsString());
}

void TfrmImpExtBanc::btnProcArqClick(host::Object&) {
  if (host::EmptyString(edtNmArquivo.Text()))
    Grava_Diretorio_Atual();
  odlEscolhe.Execute();
  // The dialog keeps the last name chosen: a cancel after an earlier choice
  // names that file again.
  if (!odlEscolhe.FileName().empty()) {
    edtNmArquivo.SetText(odlEscolhe.FileName());
    Grava_Diretorio_Atual();
  }
}

void TfrmImpExtBanc::edtNmArquivoExit(host::Object&) {
  if (host::EmptyString(edtNmArquivo.Text()))
    return;
  if (!host::FileExists(edtNmArquivo.Text())) {
    edtNmArquivo.SetFocus();
    host::MensErro(msgPadrao.Msg("Arq_N_Exist"), true);
  }
  Grava_Diretorio_Atual();
}

void TfrmImpExtBanc::Grava_Diretorio_Atual() {
  if (!host::EmptyString(edtNmArquivo.Text())) {
    const std::string& screen_code = lblCodTela.Caption();
    services::LoadFromServer(cdsDiretorio, netImpExtBanc, "GetDiretorio",
                             host::Variant::array({screen_code}));
    std::string folder = host::ExtractFilePath(edtNmArquivo.Text());
    if (cdsDiretorio.IsEmpty()) {
      cdsDiretorio.Append();
      cdsDiretorio.FieldByName("CDPROGRAMA").SetAsString(screen_code);
    } else {
      cdsDiretorio.First();
      cdsDiretorio.Edit();
    }
    cdsDiretorio.FieldByName("DSDIRETORIO").SetAsString(folder);
    cdsDiretorio.Post();
    if (!runPreview)
      services::ApplyUpdates(cdsDiretorio, netImpExtBanc, "SetDiretorio");
  }
  bool has_folder = cdsDiretorio.Active() && !cdsDiretorio.IsEmpty();
  odlEscolhe.SetInitialDir(has_folder ? cdsDiretorio.FieldByName("DSDIRETORIO").AsString() : "");
}
