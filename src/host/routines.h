#ifndef EXTRATO_HOST_ROUTINES_H_
#define EXTRATO_HOST_ROUTINES_H_

// The shared routines of the host library that screens call by these names.

#include <string>
#include <string_view>
#include <vector>

#include "host/net_connection.h"
#include "host/ui_services.h"

namespace host {

class RecordSet;

// True for a text of blanks only (or none).
bool EmptyString(std::string_view text);
// Without leading and trailing blanks and control characters.
std::string AllTrim(std::string_view text);
// The last `count` characters (0 to 255).
std::string Right(std::string_view text, int count);
std::string Replicate(std::string_view text, int count);
// Trimmed, then filled on the left with "0" to `width`; a longer text keeps its
// last `width` characters, so a fitted number converts back to the same integer.
std::string Ajusta(std::string_view text, int width);
// Rounded half away from zero, on the shortest decimal that reads back as the
// value, so 2.675 gives 2.68 although the double lies just below it.
double RoundDec(double value, int places);

// Shows the text as an error and abandons the running handler (silent abort).
[[noreturn]] void MensErro(const std::string& text, bool abort = true);
// The payload of an answer envelope; a failure is shown and abandons the handler.
Variant CheckResultServ(const Variant& answer, bool abort = true, int help_context = 0);
// Asks a question; 10 is the first caption, 11 the second, anything else a close.
int MsgAlert(const std::string& text, DialogType type, const std::vector<std::string>& captions,
             int help_context = 0);

// Sets the empty text fields of the row being posted to null.
void Seta_Campo_Null(RecordSet& record_set);

// The wait animation over the main form; kind 0 while connecting, 1 around remote work.
void ActiveShowAvi(const std::string& main_form, int kind);
void DeactiveShowAvi();

std::string EmprProc();
std::string WebURL();
int WebPort();

// Platform file services.
bool FileExists(const std::string& path);
// Everything up to and including the last path delimiter (or a drive colon).
std::string ExtractFilePath(const std::string& path);

}  // namespace host

#endif  // EXTRATO_HOST_ROUTINES_H_
