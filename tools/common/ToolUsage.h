#pragma once

#include <optional>

// How a tool answers its command line before its own work: --help or -h as
// the first argument prints the usage on standard output and succeeds; a
// command line the tool cannot use prints it on standard error and fails
// with kRefused, the status every tool gives a bad argument.
namespace ToolUsage {

constexpr int kRefused = 2;

// True when the first argument is --help or -h.
bool asksForHelp(int argc, char** argv);

// Prints the usage on standard output; the status main returns then (0).
int help(const char* usage);

// Prints the usage on standard error; the status main returns then.
int refuse(const char* usage);

// For a tool that takes only names of files and folders, `least` to `most`
// of them: the status main returns after help or a refusal, or nothing when
// the tool goes on. A name starting with '-' is refused: a mistyped option
// must not become the name of a file the tool writes.
std::optional<int> answerNames(int argc, char** argv, int least, int most, const char* usage);

} // namespace ToolUsage
