#pragma once

namespace ZQ {

// The platform log: one short line to standard error, for soft failures
// such as "evtLst==NULL". printf-style.
void platformLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace ZQ
