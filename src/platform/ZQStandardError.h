#pragma once

#include "engine/Refusal.h"

// What the game tells a player who started it from a terminal: each message
// one line on standard error, begun "velmora: " as a command names itself,
// here alone. A refusal is said as its line (ZQ::line).
//
// Threads: any; each line is written with one call, whole.
namespace ZQStandardError {

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void say(const ZQ::Refusal& refusal);

} // namespace ZQStandardError
