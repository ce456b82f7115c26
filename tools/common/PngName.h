#pragma once

#include <string>

// Whether a name a tool is given for a picture can take a PNG. A name that
// says another format (rooms.jpg), or none, would hold a PNG unseen, so a
// tool refuses it with its other bad arguments, before any work. The game's
// command line (src/platform/main.cpp) holds its pictures to the same rule.
namespace PngName {

// Empty when `path` can take a PNG, otherwise why not. What is judged is the
// file the name reaches: a device or a pipe has no format to contradict
// (/dev/stdout on a terminal), and a link is judged by the name of the file
// behind it (/dev/stdout sent into out.png).
std::string whyNot(const std::string& path);

// True, after "TOOL: PATH: why" on standard error, when `path` cannot take
// a PNG; the tool then refuses its command line (ToolUsage::refuse).
bool refused(const char* tool, const std::string& path);

} // namespace PngName
