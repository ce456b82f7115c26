#pragma once

namespace ZQ {

// The one log of the program, on standard error. Every message is one line:
// printf conventions, formatted into a 1024-byte buffer (longer output is cut
// to 1023 characters), and ended with exactly one newline whether or not the
// text brings its own. The texts stay as the game writes them; the level only
// decides whether a message is written at all.
//
// Threads: any; each message is written with one call, so lines from two
// threads never interleave within a line.
enum class LogLevel {
    Info,    // what the program is doing: start-up choices, a bundle folder
    Warning, // a soft failure: the operation was skipped or the object left empty
    Error,   // content that could not be used: a bad file, a failed GL call
};

// Messages below `level` are dropped from now on (Info: all are written).
void setLogLevel(LogLevel level);
LogLevel logLevel();

void logMessage(LogLevel level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The soft failures of game code ("evtLst==NULL", "Error on save state"): a
// warning.
void platformLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The content readers' messages (the model and texture readers): an error.
void logToStderr(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace ZQ
