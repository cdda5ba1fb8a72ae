#ifndef EXTRATO_APPS_GUI_GLYPHS_H_
#define EXTRATO_APPS_GUI_GLYPHS_H_

#include <string>

#include <QIcon>

namespace gui {

// The picture of a button's glyph name ("magnifier", "confirm"), drawn here so
// the host needs no image files or icon theme. Unknown names give a null icon,
// and the button then shows its caption.
QIcon GlyphIcon(const std::string& name);

}  // namespace gui

#endif  // EXTRATO_APPS_GUI_GLYPHS_H_
