#ifndef EXTRATO_SCREEN_IMP_EXT_BANC_H_
#define EXTRATO_SCREEN_IMP_EXT_BANC_H_

#include <string>

#include "host/base_screen.h"
#include "host/controls.h"
#include "host/net_connection.h"
#include "host/query.h"
#include "host/record_set.h"
#include "host/text_file.h"
#include "importers/lookup_ahead.h"

namespace importers {
struct Layout;
class RunObserver;
}  // namespace importers

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
  host::TADOIBQuery qryBanco;
  host::TDataSource dtsBanco;
  host::RecordSet cdsDiretorio;
  host::RecordSet cdsExtrBanco;
  host::RecordSet cdsMaskCont;
  host::RecordSet cdsVerificaContCorr;
  host::RecordSet cdsContCorr;
  host::RecordSet cdsPesqLanc;
  host::RecordSet cdsSequencia;
  host::RecordSet cdsMovReal;

  void FormCreate(host::Object& sender);
  void FormActivate(host::Object& sender);
  void FormClose(host::Object& sender, host::CloseAction& action);
  void netImpExtBancBeforeConnect(host::Object& sender);
  void cdsExtrBancoBeforePost(host::RecordSet& data_set);
  void cdsExtrBancoAfterPost(host::RecordSet& data_set);

  // Bank and file selection and the import dispatch.
  void medCdBancoChange(host::Object& sender);
  void medCdBancoExit(host::Object& sender);
  // Checks the bank code and looks it up; raises on failure, with the focus in
  // medCdBanco. An empty code passes unless required.
  void Vd_Banco(bool required);
  void btnPesqBancoBeforePesq(host::Object& sender, bool& proceed);
  void btnPesqBancoAfterPesq(host::Object& sender);
  void btnProcArqClick(host::Object& sender);
  void edtNmArquivoExit(host::Object& sender);
  // Remembers on the server the folder of the file named, and starts the file
  // dialog there.
  void Grava_Diretorio_Atual();
  void sbtConfirmaClick(host::Object& sender);
  // The statement file as the dispatch left it, for hosts and tests that watch it.
  const host::TextFile& StatementFile() const { return arqExtrato; }

  // The layout importer: reads the open statement file once, from its first line,
  // and submits the new movements in one call; every outcome but success leaves by
  // an exception.
  void Imp_Banco(const importers::Layout& layout);

  // Told what each line of a run did; null: nobody watches.
  importers::RunObserver* runObserver = nullptr;
  // Runs, and the folder remembered, write nothing: a preview.
  bool runPreview = false;
  // Runs ask before storing a statement whose balances its movements contradict.
  bool runCheckBalances = true;
  // Most duplicate lookups a run asks for in one request.
  std::size_t runReadAhead = importers::kReadAheadLimit;

 private:
  void SetUpControls();
  void SetUpComponents();
  void WireEvents();

  // The statement file of the run and the line last read from it.
  host::TextFile arqExtrato;
  std::string stLinha;
  // Account type code of the run being dispatched.
  std::string stTipoConta;
};

#endif  // EXTRATO_SCREEN_IMP_EXT_BANC_H_
