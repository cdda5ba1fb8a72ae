#include "host/base_screen.h"

#include "host/application.h"

namespace host {

namespace {
constexpr int kMenuWidth = 55;
constexpr int kButtonSize = 40;
}  // namespace

TfrmRotiGeral::TfrmRotiGeral(std::string name)
    : Form(std::move(name)),
      grbDadosRel(*this, "grbDadosRel"),
      lblCodTela(*this, "lblCodTela", &panMenu),
      panMenu(*this, "panMenu"),
      panBotoes(*this, "panBotoes", &panMenu),
      sbtConfirma(*this, "sbtConfirma", &panBotoes),
      msgPadrao("msgPadrao") {
  SetBorderStyle(BorderStyle::kSingle);
  SetFormStyle(FormStyle::kMdiChild);
  panBotoes.SetBounds({0, 0, kMenuWidth, kButtonSize + 8});
  sbtConfirma.SetBounds({6, 4, kButtonSize, kButtonSize});
  sbtConfirma.SetCaption("Confirmar");
  sbtConfirma.SetHint("Confirmar");
  sbtConfirma.SetGlyph("confirm");
  lblCodTela.SetFont({"MS Sans Serif", 7, false, Color::kWindowText});
  // The code names the screen to the application's support, not to its work.
  lblCodTela.SetHint("Código desta tela, para o suporte");
}

void TfrmRotiGeral::FormCreate(Object&) {
  GetApplication().SetCursor(Cursor::kDefault);
}

void TfrmRotiGeral::FormClose(Object&, CloseAction& action) {
  action = CloseAction::kFree;
}

}  // namespace host
