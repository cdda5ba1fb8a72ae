#ifndef EXTRATO_SCREEN_MESSAGES_TABLE_H_
#define EXTRATO_SCREEN_MESSAGES_TABLE_H_

#include <string>
#include <vector>

// The screen's message table, one "key|text" line per message, in its order.
std::vector<std::string> ImpExtBancMessages();

#endif  // EXTRATO_SCREEN_MESSAGES_TABLE_H_
