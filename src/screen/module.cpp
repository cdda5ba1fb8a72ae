#include "screen/module.h"

#include "host/application.h"
#include "screen/imp_ext_banc.h"

extern "C" {

TfrmImpExtBanc* frmImpExtBanc = nullptr;
bool boIdCriado = false;

void CriaImpExtBanc() {
  host::Application& application = host::GetApplication();
  // The cursor comes back even when creating the screen fails.
  struct HourGlass {
    explicit HourGlass(host::Application& app) : app(app) {
      app.SetCursor(host::Cursor::kHourGlass);
    }
    ~HourGlass() { app.SetCursor(host::Cursor::kDefault); }
    host::Application& app;
  } hour_glass(application);

  if (!boIdCriado) {
    frmImpExtBanc = &application.CreateForm<TfrmImpExtBanc>();
    boIdCriado = true;
  }
  frmImpExtBanc->Show();
  frmImpExtBanc->SetWindowState(host::WindowState::kNormal);
}

void IniProc() {
  CriaImpExtBanc();
}

}  // extern "C"
