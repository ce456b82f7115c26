#include "engine/PngName.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace ZQ {

std::string whyNoPngName(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    fs::path judged(path);
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status) && !fs::is_directory(status)) {
            return {};
        }
        if (const fs::path behind = fs::canonical(path, error); !error) {
            judged = behind;
        }
    }
    std::string extension = judged.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png") {
        return {};
    }
    const bool linked = judged != fs::path(path) && judged != fs::absolute(path, error).lexically_normal();
    const std::string leads = linked ? " (it leads to " + judged.string() + ")" : "";
    return "a PNG needs a name ending in .png" + leads;
}

} // namespace ZQ
