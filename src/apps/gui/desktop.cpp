#include "apps/gui/desktop.h"

#include "apps/common/file_bank.h"
#include "apps/common/message_detail.h"
#include "apps/gui/service_client.h"
#include "host/application.h"
#include "host/controls.h"
#include "host/routines.h"

namespace gui {

namespace {

constexpr const char* kImportSucceeded =
    "A importação de extrato bancário foi realizada com sucesso.";

}  // namespace

Desktop::Desktop(const LaunchOptions& options)
    : server_(std::make_unique<ServerLink>(options)),
      window_(std::make_unique<MainWindow>()),
      ui_(std::make_unique<QtUiServices>(*window_)) {
  host::GetApplication().SetUiServices(ui_.get());
  window_->ShowServer(server_->ServerShown(), server_->DatabaseShown());
  window_->WatchImportRuns(&count_);
  ui_->CountRunsWith(&count_);
  // The open screens stay open: the preview is an option of their next run.
  QObject::connect(&window_->PreviewAction(), &QAction::toggled, window_.get(), [this](bool on) {
    summary_.Clear();
    window_->ServerField().setText(QString::fromStdString(
        server_->ServerShown() + (on ? " | Simulação: nada é gravado" : "")));
  });
  // The message that ends a run carries the run's summary under it.
  ui_->OnFileChosen([this](const std::string& path) { FillBankFromFile(path); });
  ui_->SetMessageDetail([this](const host::MessageDialog& message) -> std::optional<std::string> {
    apps::DetailContext context = DetailContext();
    bool succeeded = message.text == kImportSucceeded;
    std::optional<std::string> detail = apps::MessageDetail(message.text, context);
    // A cancelled run stored nothing: what it read is not worth a summary.
    if (message.text == kRunCancelledText) {
      summary_.Clear();
      return "Nada foi gravado.";
    }
    std::optional<std::string> summary = RunSummary(context, succeeded);
    if (detail && summary)
      return *detail + "\n\n" + *summary;
    return detail ? detail : summary;
  });
}

void Desktop::Start() {
  window_->show();
  window_->ImportAction().trigger();
}

// What the open import screen holds, and how the host calls its server.
apps::DetailContext Desktop::DetailContext() const {
  apps::DetailContext context;
  context.run = &summary_;
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

void Desktop::FillBankFromFile(const std::string& path) {
  for (const auto& form : host::GetApplication().Forms()) {
    if (form->Released() || form->Name() != "frmImpExtBanc")
      continue;
    auto* bank = dynamic_cast<host::Edit*>(form->FindControl("medCdBanco"));
    auto* file = dynamic_cast<host::Edit*>(form->FindControl("edtNmArquivo"));
    if (bank == nullptr || file == nullptr || !host::EmptyString(bank->Text()) ||
        file->Text() != path) {
      continue;
    }
    apps::FileBank found;
    try {
      found = apps::BankOfFile(apps::RecogniseFile(path), DetailContext().call, host::EmprProc());
    } catch (const std::exception&) {
      return;  // the screen says what is wrong with the file when it reads it
    }
    if (found.banks.size() != 1)
      return;
    host::GetApplication().Dispatch([&] {
      bank->SetFocus();
      bank->SetText(found.banks.front().code);
      form->FocusControl(*file);
    });
  }
}

std::optional<std::string> Desktop::RunSummary(const apps::DetailContext& context,
                                               bool succeeded) {
  if (summary_.Empty())
    return std::nullopt;
  std::string text;
  try {
    nlohmann::json summary = summary_.ToJson(context.call, succeeded);
    text = apps::SummaryText(summary);
    for (const auto& warning : summary["warnings"])
      text += "Aviso: " + warning.get<std::string>() + "\n";
    if (summary_.Preview())
      text += "Simulação: nada foi gravado no banco de dados.\n";
  } catch (const std::exception& e) {
    text = std::string("Resumo indisponível: ") + e.what();
  }
  summary_.Clear();
  return text;
}

Desktop::~Desktop() {
  window_->close();
  if (&host::GetApplication().Ui() == ui_.get())
    host::GetApplication().SetUiServices(nullptr);
}

}  // namespace gui
