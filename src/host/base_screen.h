#ifndef EXTRATO_HOST_BASE_SCREEN_H_
#define EXTRATO_HOST_BASE_SCREEN_H_

#include <string>

#include "host/controls.h"
#include "host/form.h"
#include "host/messages.h"

namespace host {

// The frame every screen of the application shares: the group box for the input
// controls, the screen-code label, the right-hand panel with the confirm button,
// and the message table. A screen hooks its creation and close events to its own
// FormCreate and FormClose, which call these first and last.
class TfrmRotiGeral : public Form {
 public:
  explicit TfrmRotiGeral(std::string name);

  GroupBox grbDadosRel;
  Label lblCodTela;
  Panel panMenu;
  Panel panBotoes;
  TButtonFlat sbtConfirma;
  TMessages msgPadrao;

 protected:
  void FormCreate(Object& sender);
  // Closing a screen releases it: the next entry call builds a new one.
  void FormClose(Object& sender, CloseAction& action);
};

}  // namespace host

#endif  // EXTRATO_HOST_BASE_SCREEN_H_
