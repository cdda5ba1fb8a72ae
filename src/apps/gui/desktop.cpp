#include "apps/gui/desktop.h"

#include "apps/common/message_detail.h"
#include "apps/gui/service_client.h"
#include "host/application.h"
#include "host/controls.h"

namespace gui {

namespace {

constexpr const char* kImportSucceeded =
    "A importação de extrato bancário foi realizada com sucesso.";

// The history lists each import with its file, which only the front end knows.
void NameImportedFile(const apps::DetailContext& context) {
  std::optional<std::string> account = apps::ResolvedAccount(*context.calls);
  if (!account)
    return;
  try {
    context.call("SetArquivoImportacao", {*account, context.file});
  } catch (const std::exception&) {
    // The import is stored; only its listing lacks the file name.
  }
}

}  // namespace

Desktop::Desktop(const LaunchOptions& options)
    : server_(std::make_unique<ServerLink>(options)),
      window_(std::make_unique<MainWindow>()),
      ui_(std::make_unique<QtUiServices>(*window_)) {
  host::GetApplication().SetUiServices(ui_.get());
  window_->ShowServer(server_->ServerShown(), server_->DatabaseShown());
  ui_->SetMessageDetail([this](const host::MessageDialog& message) {
    apps::DetailContext context = DetailContext();
    if (message.text == kImportSucceeded)
      NameImportedFile(context);
    return apps::MessageDetail(message.text, context);
  });
}

// What the open import screen holds, and how the host calls its server.
apps::DetailContext Desktop::DetailContext() const {
  apps::DetailContext context;
  context.calls = &server_->Calls();
  context.registration = apps::Registration::kMenu;
  context.call = [](const std::string& method, const host::Variant& params) {
    return ServiceClient().Call(method, params);
  };
  for (const auto& form : host::GetApplication().Forms()) {
    if (form->Released() || form->Name() != "frmImpExtBanc")
      continue;
    if (auto* bank = dynamic_cast<host::Edit*>(form->FindControl("medCdBanco")))
      context.bank = bank->Text();
    if (auto* file = dynamic_cast<host::Edit*>(form->FindControl("edtNmArquivo")))
      context.file = file->Text();
  }
  return context;
}

Desktop::~Desktop() {
  window_->close();
  if (&host::GetApplication().Ui() == ui_.get())
    host::GetApplication().SetUiServices(nullptr);
}

}  // namespace gui
