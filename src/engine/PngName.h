#pragma once

#include <string>

namespace ZQ {

// Why `path` is no name for a PNG, or empty when it is one: a name that says
// another format (shot.jpg), or none, would hold a PNG unseen, so the game
// and the tools refuse it with their other bad arguments, before any work.
// What is judged is the file the name reaches: a device or a pipe has no
// format to contradict (/dev/stdout on a terminal), and a link is judged by
// the name of the file behind it (/dev/stdout sent into out.png).
std::string whyNoPngName(const std::string& path);

} // namespace ZQ
