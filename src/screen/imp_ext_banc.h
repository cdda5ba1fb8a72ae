#ifndef EXTRATO_SCREEN_IMP_EXT_BANC_H_
#define EXTRATO_SCREEN_IMP_EXT_BANC_H_

#include <string>

#include "host/base_screen.h"
#include "host/controls.h"
#include "host/net_connection.h"
#include "host/record_set.h"

// The bank-statement import screen.
class TfrmImpExtBanc : public host::TfrmRotiGeral {
 public:
  TfrmImpExtBanc();
  ~TfrmImpExtBanc() override;

  // Controls inside grbDadosRel.
  host::Label lblBanco;
  host::MaskEdit medCdBanco;
  host::TBtnPesquisa btnPesqBanco;
  host::Edit edtNmBanco;
  host::Label lblArquivo;
  host::Edit edtNmArquivo;
  host::TBtnPesquisa btnProcArq;
  host::Label lblTipoConta;
  host::ComboBox cbTipoConta;
  host::ProgressBar pgbProgresso;

  // Components without a window.
  host::TNetConnection netImpExtBanc;
  host::OpenDialog odlEscolhe;
  host::TDataSource dtsBanco;
  host::RecordSet cdsDiretorio;
  host::RecordSet cdsExtrBanco;
  host::RecordSet cdsMaskCont;
  host::RecordSet cdsVerificaContCorr;
  host::RecordSet cdsContCorr;
  host::RecordSet cdsPesqLanc;
  host::RecordSet cdsSequencia;
  host::RecordSet cdsMovReal;
  host::RecordSet cdsMovExtrAux;

  void FormCreate(host::Object& sender);
  void FormActivate(host::Object& sender);
  void FormClose(host::Object& sender, host::CloseAction& action);
  void netImpExtBancBeforeConnect(host::Object& sender);
  void cdsExtrBancoBeforePost(host::RecordSet& data_set);
  void cdsExtrBancoAfterPost(host::RecordSet& data_set);

 private:
  void SetUpControls();
  void SetUpComponents();
  void WireEvents();
};

#endif  // EXTRATO_SCREEN_IMP_EXT_BANC_H_
