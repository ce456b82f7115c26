#include "platform/ZQBundleCheck.h"

#include "engine/Bundle.h"
#include "overlays/CaptionBox.h"
#include "overlays/ZQCaptionGenerator.h"
#include "render/KnotGoochProgram.h"
#include "render/PodBox.h"

#include <filesystem>
#include <system_error>

namespace ZQBundleCheck {

namespace {

// Enough names to see what kind of files are missing, on one line.
constexpr std::size_t kNamesShown = 3;

constexpr const char* kRemedy =
    "set VELMORA_BUNDLE to the folder of the game's textures, models and captions";

} // namespace

std::vector<std::string> neededFiles(int32_t scale) {
    std::vector<std::string> files = {std::string(ZQ::CaptionBox::kCaptionsList) + ".plist"};
    for (const ZQ::CaptionPicture& picture : ZQ::CaptionBox::pictures(scale)) {
        files.push_back(picture.file + "." + picture.extension);
    }
    for (const char* name : ZQ::KnotGoochProgram::kNormalMapNames) {
        files.push_back(std::string(name) + ".pvr");
    }
    for (int32_t id = 0; id < ZQ::PodBox::kModelCount; ++id) {
        files.push_back(std::string(ZQ::PodBox::modelName(id)) + ".pod");
    }
    return files;
}

bool check(const std::string& folder, int32_t scale, std::string& problem) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        problem = "the bundle folder " + folder + " is not there; " + kRemedy;
        return false;
    }
    const std::vector<std::string> needed = neededFiles(scale);
    std::vector<std::string> missing;
    for (const std::string& file : needed) {
        if (ZQ::pathForResourceIn(folder, file, "").empty()) {
            missing.push_back(file);
        }
    }
    if (missing.empty()) {
        // The captions list as the caption box will read it: a file that is
        // there but empty, unreadable or no list of captions leaves every
        // text blank, as a missing one would.
        ZQ::ZQCaptionGenerator captions(ZQ::CaptionBox::kCaptionsList, scale);
        captions.load(ZQ::pathForResourceIn(folder, ZQ::CaptionBox::kCaptionsList, "plist"));
        if (!captions.captionAttrs().empty()) {
            return true;
        }
        problem = "the bundle folder " + folder + " lacks the captions: its " +
                  ZQ::CaptionBox::kCaptionsList + ".plist holds none the game can read; " + kRemedy;
        return false;
    }
    std::string names;
    for (std::size_t i = 0; i < missing.size() && i < kNamesShown; ++i) {
        names += (i == 0 ? "" : ", ") + missing[i];
    }
    if (missing.size() > kNamesShown) {
        names += " and " + std::to_string(missing.size() - kNamesShown) + " more";
    }
    problem = "the bundle folder " + folder + " lacks " + std::to_string(missing.size()) + " of the " +
              std::to_string(needed.size()) + " files the game needs (" + names + "); " + kRemedy;
    return false;
}

} // namespace ZQBundleCheck
