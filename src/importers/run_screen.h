#ifndef EXTRATO_IMPORTERS_RUN_SCREEN_H_
#define EXTRATO_IMPORTERS_RUN_SCREEN_H_

// What a run reaches of the screen that starts it, and nothing more: the record
// sets it fills or loads its answers into, its connection, its progress bar and
// messages, and the bank the user chose.

#include <functional>
#include <string>

#include "host/controls.h"
#include "host/messages.h"
#include "host/net_connection.h"
#include "host/record_set.h"

namespace importers {

struct RunRecordSets {
  host::RecordSet& mask;              // the bank's account mask
  host::RecordSet& account;           // the account found by its number
  host::RecordSet& verified_account;  // the account found by the number's beginning
  host::RecordSet& headers;           // the statement headers to submit
  host::RecordSet& sequence;          // the last movement number of a stored statement
  host::RecordSet& stored;            // the stored movements like the current one
  host::RecordSet& movements;         // the movements to submit
};

struct RunScreen {
  host::TNetConnection& connection;
  const host::TMessages& messages;
  host::ProgressBar& progress;
  RunRecordSets sets;
  // The bank code as typed, and the CNAB code of the bank it names.
  std::string bank;
  std::string bank_cnab;
  // Puts the focus where a wrong bank is mended.
  std::function<void()> focus_bank;
  // Lets the screen paint the progress while the run holds the thread.
  std::function<void()> repaint;
};

}  // namespace importers

#endif  // EXTRATO_IMPORTERS_RUN_SCREEN_H_
