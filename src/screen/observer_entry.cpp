// Exported entries through which a host watches what each line of the screen's
// import runs does, and makes them previews, without knowing the screen's class.
#include "importers/run_observer.h"
#include "screen/imp_ext_banc.h"
#include "screen/module.h"

extern "C" {

// Watches the open screen's runs; null stops watching. Without a screen, nothing.
void DefObservadorImportacao(importers::RunObserver* observer) {
  if (boIdCriado && frmImpExtBanc != nullptr)
    frmImpExtBanc->runObserver = observer;
}

// Makes the open screen's runs previews, or real imports again.
void DefSimulacaoImportacao(bool preview) {
  if (boIdCriado && frmImpExtBanc != nullptr)
    frmImpExtBanc->runPreview = preview;
}

}  // extern "C"
