#include "screen/module.h"

#include <dlfcn.h>

#include <gtest/gtest.h>

#include "host/application.h"
#include "host/config.h"
#include "host/net_connection.h"
#include "screen/imp_ext_banc.h"
#include "testing/recording_ui_services.h"

namespace {

// The module as a host sees it: loaded by name, entries found with dlsym.
class LoadedModule {
 public:
  LoadedModule() : handle_(dlopen(EXTRATO_LIB_DIR "/libQAR62700.so", RTLD_NOW)) {}
  ~LoadedModule() {
    if (handle_ != nullptr)
      dlclose(handle_);
  }
  template <typename T>
  T* Symbol(const char* name) const {
    return reinterpret_cast<T*>(dlsym(handle_, name));
  }
  bool Loaded() const { return handle_ != nullptr; }

 private:
  void* handle_;
};

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::GetApplication().SetUiServices(&ui_);
    host::SetTransportFactory([this](const std::string& host, int port) {
      connects_.push_back(host + ":" + std::to_string(port));
      wait_during_connect_ = ui_.wait_visible();
      return std::make_unique<host::InProcessTransport>(
          [](host::TextPieces) { return host::FailureAnswer("sem servidor").dump(); });
    });
  }
  void TearDown() override {
    if (boIdCriado)
      host::GetApplication().Dispatch([] { frmImpExtBanc->Close(); });
    host::SetTransportFactory(nullptr);
    host::GetApplication().SetUiServices(nullptr);
  }

  host::RecordingUiServices ui_;
  std::vector<std::string> connects_;
  bool wait_during_connect_ = false;
};

TEST_F(ModuleTest, EntriesOpenOneScreenAndClosingReleasesIt) {
  LoadedModule module;
  ASSERT_TRUE(module.Loaded()) << dlerror();
  auto* ini_proc = module.Symbol<void()>("IniProc");
  auto* cria = module.Symbol<void()>("CriaImpExtBanc");
  auto** form = module.Symbol<TfrmImpExtBanc*>("frmImpExtBanc");
  auto* created = module.Symbol<bool>("boIdCriado");
  ASSERT_TRUE(ini_proc && cria && form && created);
  EXPECT_FALSE(*created);

  std::size_t forms_before = host::GetApplication().Forms().size();
  ini_proc();
  TfrmImpExtBanc* first = *form;
  ASSERT_NE(nullptr, first);
  first->SetWindowState(host::WindowState::kMinimized);
  ini_proc();
  EXPECT_EQ(first, *form);
  EXPECT_EQ(forms_before + 1, host::GetApplication().Forms().size());
  EXPECT_TRUE(first->Visible());
  EXPECT_EQ(host::WindowState::kNormal, first->GetWindowState());
  EXPECT_TRUE(*created);
  EXPECT_TRUE(first->netImpExtBanc.Connected());
  EXPECT_EQ(1u, connects_.size());
  EXPECT_EQ(host::Cursor::kDefault, ui_.cursor());

  host::TNetConnection* connection = &first->netImpExtBanc;
  host::GetApplication().Dispatch([&] {
    first->Close();
    EXPECT_FALSE(*created);
    EXPECT_FALSE(connection->Connected());
  });
  EXPECT_EQ(forms_before, host::GetApplication().Forms().size());
  EXPECT_EQ(nullptr, *form);

  cria();
  EXPECT_NE(nullptr, *form);
  EXPECT_TRUE((*form)->netImpExtBanc.Connected());
  EXPECT_EQ(2u, connects_.size());
}

TEST_F(ModuleTest, ConnectionTakesPortAndHostFromTheHostBeforeConnecting) {
  host::Config().web_url = "servidor.interno";
  host::Config().web_port = 9123;
  CriaImpExtBanc();
  EXPECT_EQ((std::vector<std::string>{"servidor.interno:9123"}), connects_);
  EXPECT_EQ("QAR62700.rdmImpExtBanc", frmImpExtBanc->netImpExtBanc.ServerName());
  EXPECT_FALSE(frmImpExtBanc->netImpExtBanc.ThrowException());
  EXPECT_TRUE(wait_during_connect_);
  EXPECT_FALSE(ui_.wait_visible());
  ASSERT_GE(ui_.events().size(), 2u);
  EXPECT_EQ("wait", ui_.events()[0].kind);
  EXPECT_EQ("0", ui_.events()[0].text);
}

TEST_F(ModuleTest, NewScreenStartsEmptyWithCirculante) {
  CriaImpExtBanc();
  TfrmImpExtBanc& screen = *frmImpExtBanc;
  EXPECT_EQ("Importação de Extrato Bancário", screen.Caption());
  EXPECT_EQ(404, screen.ClientWidth());
  EXPECT_EQ(116, screen.ClientHeight());
  EXPECT_EQ(host::FormStyle::kMdiChild, screen.GetFormStyle());
  EXPECT_EQ(host::BorderStyle::kSingle, screen.GetBorderStyle());
  EXPECT_EQ("QAR62700", screen.lblCodTela.Caption());
  EXPECT_EQ("Circulante", screen.cbTipoConta.Text());
  EXPECT_EQ((std::vector<std::string>{"Circulante", "Aplicação", "Garantida"}),
            screen.cbTipoConta.Items());
  EXPECT_EQ("", screen.medCdBanco.Text());
  EXPECT_EQ("", screen.edtNmBanco.Text());
  EXPECT_EQ("", screen.edtNmArquivo.Text());
  EXPECT_FALSE(screen.pgbProgresso.Visible());
  EXPECT_FALSE(screen.edtNmBanco.Enabled());
  EXPECT_EQ(3, screen.medCdBanco.MaxLength());
  EXPECT_TRUE(screen.medCdBanco.Focused());
  EXPECT_EQ(&screen.edtNmArquivo, screen.NextInTabOrder(&screen.medCdBanco));
  EXPECT_EQ(&screen.cbTipoConta, screen.NextInTabOrder(&screen.edtNmArquivo));
  EXPECT_EQ("Arquivo Origem", screen.odlEscolhe.Title());
  EXPECT_EQ("Todos os Arquivos (*.*)|*.*", screen.odlEscolhe.Filter());
  EXPECT_TRUE(screen.cdsMovReal.Active());
  EXPECT_TRUE(screen.cdsMovReal.IsEmpty());
}

TEST_F(ModuleTest, MessageTableHoldsItsEntriesInOrder) {
  CriaImpExtBanc();
  const auto& entries = frmImpExtBanc->msgPadrao.Entries();
  ASSERT_GE(entries.size(), 17u);
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < 17; ++i)
    keys.push_back(entries[i].first);
  EXPECT_EQ((std::vector<std::string>{
                "Banco_Inf", "Banco_NCad", "Arq_N_Exist", "Arqu_Inf", "Banco_Inv", "L_NCad",
                "Arqu_JaImp", "Import_Suces", "Arqu_Sem_Dados", "CodRedu_NCad", "Arquivo_Inv",
                "Extrato_Ja_Imp", "Val_Iguais", "S", "N", "Mov_JaImp", "Import_Cancel"}),
            keys);
  EXPECT_EQ("Arquivo já importado para a conta corrente de código reduzido %s.",
            frmImpExtBanc->msgPadrao.Msg("Arqu_JaImp"));
}

}  // namespace
