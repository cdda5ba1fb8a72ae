#ifndef EXTRATO_HOST_VISIBLE_TEXT_H_
#define EXTRATO_HOST_VISIBLE_TEXT_H_

#include <string>
#include <string_view>

namespace host {

// A text read from a statement file, fit to be shown: on a terminal, in a dialog and
// in JSON. Control characters (C0, DEL, C1) and bytes that are no valid UTF-8 are
// written as escapes ("\x1b", "\0", "\t", "\xff"), so that none of them acts on the
// terminal, cuts the text at a NUL or breaks the JSON. Everything else is kept.
std::string VisibleText(std::string_view text);

}  // namespace host

#endif  // EXTRATO_HOST_VISIBLE_TEXT_H_
