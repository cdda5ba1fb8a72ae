#ifndef EXTRATO_SCREEN_MODULE_H_
#define EXTRATO_SCREEN_MODULE_H_

// The module's exported entries. Hosts find them by name with dlsym.

class TfrmImpExtBanc;

extern "C" {
// The screen instance; set when the screen is created.
extern TfrmImpExtBanc* frmImpExtBanc;
// True from the creation of the screen until it is closed.
extern bool boIdCriado;
// Opens the screen, creating it on first use, in the normal window state.
void CriaImpExtBanc();
// The module's plain-named start entry.
void IniProc();
}

#endif  // EXTRATO_SCREEN_MODULE_H_
