#pragma once

#include <string>

// A tool's refusal of a name for a picture that cannot take a PNG, by the
// game's own rule (engine/PngName.h).
namespace PngName {

// True, after "TOOL: PATH: why" on standard error, when `path` cannot take
// a PNG; the tool then refuses its command line (ToolUsage::refuse).
bool refused(const char* tool, const std::string& path);

} // namespace PngName
