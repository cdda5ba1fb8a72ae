#include "screen/imp_ext_banc.h"

#include "host/application.h"
#include "host/routines.h"
#include "records/record_sets.h"
#include "screen/bank_query.h"
#include "screen/messages_table.h"
#include "screen/module.h"
#include "services/remote.h"

namespace {

constexpr const char* kCodTela = "QAR62700";
constexpr const char* kServerName = "QAR62700.rdmImpExtBanc";

const host::Font kLabelFont{"MS Sans Serif", 8, true, host::Color::kWindowText};

void PlaceLabel(host::Label& label, const char* caption, host::Bounds bounds) {
  label.SetCaption(caption);
  label.SetBounds(bounds);
  label.SetFont(kLabelFont);
}

// A field the user must fill.
void PlaceInput(host::Control& control, host::Bounds bounds, int tab_order) {
  control.SetBounds(bounds);
  control.SetColor(host::Color::kInfoBk);
  control.SetTabOrder(tab_order);
}

void PlaceSearchButton(host::TBtnPesquisa& button, host::Control& associated, host::Bounds bounds) {
  button.SetBounds(bounds);
  button.SetHint("Pesquisar");
  button.SetAssociatedControl(&associated);
}

}  // namespace

TfrmImpExtBanc::TfrmImpExtBanc()
    : TfrmRotiGeral("frmImpExtBanc"),
      lblBanco(*this, "lblBanco", &grbDadosRel),
      medCdBanco(*this, "medCdBanco", &grbDadosRel),
      btnPesqBanco(*this, "btnPesqBanco", &grbDadosRel),
      edtNmBanco(*this, "edtNmBanco", &grbDadosRel),
      lblArquivo(*this, "lblArquivo", &grbDadosRel),
      edtNmArquivo(*this, "edtNmArquivo", &grbDadosRel),
      btnProcArq(*this, "btnProcArq", &grbDadosRel),
      lblTipoConta(*this, "lblTipoConta", &grbDadosRel),
      cbTipoConta(*this, "cbTipoConta", &grbDadosRel),
      pgbProgresso(*this, "pgbProgresso", &grbDadosRel),
      netImpExtBanc("netImpExtBanc"),
      odlEscolhe("odlEscolhe"),
      qryBanco("qryBanco"),
      dtsBanco("dtsBanco"),
      cdsDiretorio("cdsDiretorio", records::DiretorioFields()),
      cdsExtrBanco("cdsExtrBanco", records::ExtrBancoFields()),
      cdsMaskCont("cdsMaskCont", records::MaskContFields()),
      cdsVerificaContCorr("cdsVerificaContCorr", records::ContCorrFields()),
      cdsContCorr("cdsContCorr", records::ContCorrFields()),
      cdsPesqLanc("cdsPesqLanc", records::PesqLancFields()),
      cdsSequencia("cdsSequencia", records::SequenciaFields()),
      cdsMovReal("cdsMovReal", records::MovRealFields()) {
  SetCaption("Importação de Extrato Bancário");
  SetClientSize(404, 116);
  SetUpControls();
  SetUpComponents();
  WireEvents();
}

TfrmImpExtBanc::~TfrmImpExtBanc() {
  if (frmImpExtBanc == this)
    frmImpExtBanc = nullptr;
}

void TfrmImpExtBanc::SetUpControls() {
  grbDadosRel.SetBounds({0, 0, 349, 116});
  lblCodTela.SetCaption(kCodTela);
  lblCodTela.SetBounds({2, 73, 52, 13});
  sbtConfirma.SetHint("Confirmar importação");
  panMenu.SetBounds({349, 0, 55, 116});

  PlaceLabel(lblBanco, "Banco", {6, 15, 37, 13});
  PlaceInput(medCdBanco, {99, 12, 40, 21}, 0);
  medCdBanco.SetMaxLength(3);
  PlaceSearchButton(btnPesqBanco, medCdBanco, {143, 12, 21, 21});
  btnPesqBanco.SetTitle("Banco");
  btnPesqBanco.SetDataSource(&dtsBanco);
  btnPesqBanco.SetEmptyError("Não há banco cadastrado.");
  edtNmBanco.SetBounds({167, 12, 164, 21});
  edtNmBanco.SetEnabled(false);
  edtNmBanco.SetColor(host::Color::kBtnFace);
  edtNmBanco.SetTabOrder(2);

  PlaceLabel(lblArquivo, "Arquivo Origem", {6, 41, 87, 13});
  PlaceInput(edtNmArquivo, {99, 38, 207, 21}, 3);
  PlaceSearchButton(btnProcArq, edtNmArquivo, {310, 38, 21, 21});

  PlaceLabel(lblTipoConta, "Tipo Conta", {6, 65, 63, 13});
  PlaceInput(cbTipoConta, {100, 62, 91, 21}, 6);
  cbTipoConta.SetItems({"Circulante", "Aplicação", "Garantida"});
  cbTipoConta.SetItemHeight(13);

  pgbProgresso.SetBounds({5, 91, 326, 16});
  pgbProgresso.SetRange(0, 100);
  pgbProgresso.SetTabOrder(5);
  pgbProgresso.SetVisible(false);
}

void TfrmImpExtBanc::SetUpComponents() {
  msgPadrao.SetLines(ImpExtBancMessages());
  netImpExtBanc.SetServerName(kServerName);
  netImpExtBanc.SetThrowException(false);
  odlEscolhe.SetTitle("Arquivo Origem");
  odlEscolhe.SetFilter("Todos os Arquivos (*.*)|*.*");
  SetUpBankQuery(qryBanco);
  dtsBanco.Rows = [this] { return qryBanco.Listing(); };
  dtsBanco.SelectRow = [this](std::size_t row) { qryBanco.MoveTo(row); };
}

void TfrmImpExtBanc::WireEvents() {
  OnCreate = [this](host::Object& sender) { FormCreate(sender); };
  OnActivate = [this](host::Object& sender) { FormActivate(sender); };
  OnClose = [this](host::Object& sender, host::CloseAction& action) { FormClose(sender, action); };
  netImpExtBanc.OnBeforeConnect = [this](host::Object& sender) {
    netImpExtBancBeforeConnect(sender);
  };
  cdsExtrBanco.BeforePost = [this](host::RecordSet& data_set) { cdsExtrBancoBeforePost(data_set); };
  cdsExtrBanco.AfterPost = [this](host::RecordSet& data_set) { cdsExtrBancoAfterPost(data_set); };
  medCdBanco.OnChange = [this](host::Object& sender) { medCdBancoChange(sender); };
  medCdBanco.OnExit = [this](host::Object& sender) { medCdBancoExit(sender); };
  btnPesqBanco.OnBeforePesq = [this](host::Object& sender, bool& proceed) {
    btnPesqBancoBeforePesq(sender, proceed);
  };
  btnPesqBanco.OnAfterPesq = [this](host::Object& sender) { btnPesqBancoAfterPesq(sender); };
  btnProcArq.OnClick = [this](host::Object& sender) { btnProcArqClick(sender); };
  edtNmArquivo.OnExit = [this](host::Object& sender) { edtNmArquivoExit(sender); };
  sbtConfirma.OnClick = [this](host::Object& sender) { sbtConfirmaClick(sender); };
}

void TfrmImpExtBanc::FormCreate(host::Object& sender) {
  TfrmRotiGeral::FormCreate(sender);
  host::ActiveShowAvi(host::GetApplication().MainFormName(), 0);
  netImpExtBanc.SetConnected(true);
  host::DeactiveShowAvi();
  cdsMovReal.CreateDataSet();
  cbTipoConta.SetItemIndex(0);
}

void TfrmImpExtBanc::FormActivate(host::Object&) {
  Repaint();
}

void TfrmImpExtBanc::FormClose(host::Object& sender, host::CloseAction& action) {
  boIdCriado = false;
  netImpExtBanc.SetConnected(false);
  TfrmRotiGeral::FormClose(sender, action);
}

void TfrmImpExtBanc::netImpExtBancBeforeConnect(host::Object&) {
  netImpExtBanc.SetPort(host::WebPort());
  netImpExtBanc.SetHost(host::WebURL());
}

void TfrmImpExtBanc::cdsExtrBancoBeforePost(host::RecordSet& data_set) {
  host::Seta_Campo_Null(data_set);
}

void TfrmImpExtBanc::cdsExtrBancoAfterPost(host::RecordSet& data_set) {
  services::ApplyUpdates(data_set, netImpExtBanc, "SetExtrBanco");
}
