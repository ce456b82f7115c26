#include "platform/ZQBundleCheck.h"

#include "overlays/CaptionBox.h"
#include "overlays/ZQCaptionGenerator.h"
#include "render/KnotGoochProgram.h"
#include "render/PVRTResourceFile.h"
#include "render/PVRTTexture.h"
#include "render/PngTextureLoader.h"
#include "render/PodBox.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

namespace ZQBundleCheck {

namespace {

namespace fs = std::filesystem;

// Enough names to see what kind of files a reason strikes, on one line.
constexpr std::size_t kNamesShown = 4;

constexpr const char* kMissing = "not there";

// The background pictures the captions list names: the caption producer
// draws <name>@<scale>.png behind a caption's text, and none when the file
// is missing.
std::vector<std::string> backgroundPictures(const ZQ::ZQCaptionGenerator& captions, int32_t scale) {
    std::set<std::string> names;
    for (const auto& [key, attributes] : captions.captionAttrs()) {
        const auto found = attributes.find("bgimage");
        if (found != attributes.end() && found->second.kind == ZQ::CaptionValue::Kind::Text &&
            !found->second.text.empty()) {
            names.insert(found->second.text + "@" + std::to_string(scale) + ".png");
        }
    }
    return {names.begin(), names.end()};
}

// The clause of one reason: its files, the first few by name, then the
// reason in brackets.
std::string clause(const std::vector<std::string>& files, const std::string& reason) {
    std::string names;
    for (std::size_t i = 0; i < files.size() && i < kNamesShown; ++i) {
        names += (i == 0 ? "" : ", ") + files[i];
    }
    if (files.size() > kNamesShown) {
        names += " and " + std::to_string(files.size() - kNamesShown) + " more";
    }
    return names + " (" + reason + ")";
}

// How `command`, which writes below `folder`, is run so that what it writes
// belongs to whoever the folder (or its nearest existing parent) belongs to:
// as is for the game's own user, through sudo for root's, as its owner for
// another user's, whose files a run as root would take.
std::string asOwnerOf(const fs::path& folder, const std::string& command) {
    struct stat status {};
    fs::path at = folder;
    while (::stat(at.c_str(), &status) != 0 && at.has_relative_path()) {
        at = at.parent_path();
    }
    if (status.st_uid == ::geteuid()) {
        return command;
    }
    if (status.st_uid == 0) {
        return "sudo " + command;
    }
    const passwd* entry = ::getpwuid(status.st_uid);
    const std::string user = entry != nullptr && entry->pw_name != nullptr
                                 ? std::string(entry->pw_name)
                                 : "'#" + std::to_string(status.st_uid) + "'";
    return "sudo -u " + user + " " + command;
}

} // namespace

std::vector<ZQ::Mend> mends(const std::string& folder, ZQ::BundleOrigin origin,
                            const std::string& buildTree) {
    switch (origin) {
    case ZQ::BundleOrigin::variable:
        return {{"unset VELMORA_BUNDLE to play the bundle the game came with", "unset VELMORA_BUNDLE"},
                {"point it at a whole bundle folder", ""}};
    case ZQ::BundleOrigin::buildTree:
        // The build makes each damaged or missing file of its bundle again
        // (cmake/BundlePart.cmake), however new the damaged one is.
        return {{"build the game again, which makes its bundle whole",
                 "cmake --build " + ZQ::shellQuoted(fs::path(folder).parent_path().string()) +
                     " --target velmora"}};
    case ZQ::BundleOrigin::install:
        break;
    }
    // <prefix>/share/games/velmora. A program beside no install has the
    // root folder for a prefix, where nothing of the game belongs.
    const fs::path prefix = fs::path(folder).parent_path().parent_path().parent_path();
    if (!prefix.has_relative_path()) {
        return {{"point VELMORA_BUNDLE at a whole bundle folder", ""}};
    }
    const std::string to = " --prefix " + ZQ::shellQuoted(prefix.string());
    std::error_code error;
    if (!buildTree.empty() && fs::is_regular_file(fs::path(buildTree) / "cmake_install.cmake", error)) {
        return {{"install the game again from the build it came from",
                 asOwnerOf(folder, "cmake --install " + ZQ::shellQuoted(buildTree) + to)}};
    }
    return {
        {"in the game's source folder, build and install it again" +
             (buildTree.empty() ? std::string() : " (the build it came from, " + buildTree + ", is gone)"),
         "./scripts/build --target velmora && " + asOwnerOf(folder, "cmake --install build" + to)}};
}

std::vector<NeededFile> neededFiles(int32_t scale) {
    std::vector<NeededFile> files;
    for (const ZQ::CaptionPicture& picture : ZQ::CaptionBox::pictures(scale)) {
        const bool pvr = std::string(picture.extension) == "pvr";
        files.push_back({picture.file + "." + picture.extension, pvr ? Reader::Pvr : Reader::Png});
    }
    for (const char* name : ZQ::KnotGoochProgram::kNormalMapNames) {
        files.push_back({std::string(name) + ".pvr", Reader::Pvr});
    }
    for (int32_t id = 0; id < ZQ::PodBox::kModelCount; ++id) {
        files.push_back({std::string(ZQ::PodBox::modelName(id)) + ".pod", Reader::Pod});
    }
    return files;
}

std::string judgeFile(const std::string& path, Reader reader) {
    switch (reader) {
    case Reader::Png: {
        ZQ::PngPixels picture;
        std::string error;
        return ZQ::decodePng(path, true, picture, error) ? std::string()
                                                         : "libpng cannot decode it: " + error;
    }
    case Reader::Pvr: {
        const CPVRTResourceFile file(path.c_str());
        if (!file.isOpen()) {
            return "the file cannot be read, or is empty";
        }
        const char* why = ZQ::refusePVRTexture(file.getData(), file.getSize());
        return why != nullptr ? why : std::string();
    }
    case Reader::Pod:
        return ZQ::PodBox::refuseModelFile(path);
    }
    return "no reader judges it";
}

std::optional<ZQ::Refusal> check(const std::string& folder, ZQ::BundleOrigin origin, int32_t scale) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return ZQ::Refusal{"", "the bundle folder " + folder + " is not there",
                           mends(folder, origin, ZQ::buildTree())};
    }
    // Reasons in the order they are first met, each with its files.
    std::vector<std::pair<std::string, std::vector<std::string>>> refused;
    std::size_t refusedCount = 0;
    const auto refuse = [&](const std::string& file, const std::string& reason) {
        auto at =
            std::find_if(refused.begin(), refused.end(), [&](const auto& r) { return r.first == reason; });
        if (at == refused.end()) {
            at = refused.insert(refused.end(), {reason, {}});
        }
        at->second.push_back(file);
        ++refusedCount;
    };
    const std::string list = std::string(ZQ::CaptionBox::kCaptionsList) + ".plist";
    ZQ::ZQCaptionGenerator captions(ZQ::CaptionBox::kCaptionsList, scale);
    if (const std::string path = ZQ::pathForResourceIn(folder, list, ""); path.empty()) {
        refuse(list, kMissing);
    } else {
        captions.load(path);
        // An empty, unreadable or foreign list leaves every text blank, as a
        // missing one would.
        if (captions.captionAttrs().empty()) {
            refuse(list, "it lacks the captions: none the game can read");
        }
    }
    const std::vector<NeededFile> needed = neededFiles(scale);
    for (const NeededFile& file : needed) {
        const std::string path = ZQ::pathForResourceIn(folder, file.file, "");
        if (const std::string why = path.empty() ? kMissing : judgeFile(path, file.reader); !why.empty()) {
            refuse(file.file, why);
        }
    }
    const std::vector<std::string> backgrounds = backgroundPictures(captions, scale);
    for (const std::string& file : backgrounds) {
        const std::string path = ZQ::pathForResourceIn(folder, file, "");
        if (const std::string why = path.empty() ? "" : judgeFile(path, Reader::Png); !why.empty()) {
            refuse(file, why);
        }
    }
    if (refused.empty()) {
        return std::nullopt;
    }
    std::string why = "the bundle folder " + folder + " lacks " + std::to_string(refusedCount) + " of the " +
                      std::to_string(1 + needed.size() + backgrounds.size()) +
                      " files the game needs or cannot read them: ";
    for (std::size_t i = 0; i < refused.size(); ++i) {
        why += (i == 0 ? "" : "; ") + clause(refused[i].second, refused[i].first);
    }
    return ZQ::Refusal{"", why, mends(folder, origin, ZQ::buildTree())};
}

} // namespace ZQBundleCheck
