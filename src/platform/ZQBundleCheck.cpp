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
#include <cerrno>
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

// Where root's own build of the game goes, as the install for every user
// makes it: a folder of root's home, where no one else can make it first.
constexpr const char* kRootsBuild = "/root/velmora-build";

// What the game can see of a file it did not make.
enum class Sight {
    there,
    gone,   // the game sees that it is not there
    hidden, // a folder on its way is shut to this user: neither there nor gone
};

Sight sight(const fs::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) == 0) {
        return S_ISREG(status.st_mode) ? Sight::there : Sight::gone;
    }
    return errno == ENOENT || errno == ENOTDIR ? Sight::gone : Sight::hidden;
}

// Who owns `folder`, or the nearest of its parents that is there.
uid_t ownerOf(fs::path folder) {
    struct stat status {};
    while (::stat(folder.c_str(), &status) != 0 && folder.has_relative_path()) {
        folder = folder.parent_path();
    }
    return status.st_uid;
}

// How `command`, which writes where `owner`'s files are, is run so that
// what it writes is theirs: as is for the game's own user, through sudo for
// root's, as its owner for another user's, whose files a run as root would
// take.
std::string asOwner(uid_t owner, const std::string& command) {
    if (owner == ::geteuid()) {
        return command;
    }
    if (owner == 0) {
        return "sudo " + command;
    }
    const passwd* entry = ::getpwuid(owner);
    const std::string user = entry != nullptr && entry->pw_name != nullptr
                                 ? std::string(entry->pw_name)
                                 : "'#" + std::to_string(owner) + "'";
    return "sudo -u " + user + " " + command;
}

// Whether no one but root can make or change `folder`: each folder on its
// way that the game can see is root's, no link, and writable by no one
// else. Below one that is missing, or shut to the game, only root makes
// anything.
bool rootsAlone(const fs::path& folder) {
    if (!folder.is_absolute()) {
        return false;
    }
    fs::path at;
    for (const fs::path& part : folder) {
        at /= part;
        struct stat status {};
        if (::lstat(at.c_str(), &status) != 0) {
            return errno == ENOENT || errno == EACCES;
        }
        if (!S_ISDIR(status.st_mode) || status.st_uid != 0 || (status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
            return false;
        }
    }
    return true;
}

// The game built again from `sourceTree` and installed into `prefix`, as
// the owner of the install. Root's is root's own build, as the install for
// every user makes it (root's install from a player's build is refused: it
// would leave root's files there), in the build it came from where no one
// else can make that folder first; anyone else's is their own build in
// their clone, as the play script makes it.
ZQ::Mend rebuild(uid_t owner, const fs::path& prefix, const std::string& buildTree,
                 const std::string& sourceTree, const std::string& when) {
    const std::string to = " --prefix " + ZQ::shellQuoted(prefix.string());
    const bool sourceSeen =
        !sourceTree.empty() && sight(fs::path(sourceTree) / "CMakeLists.txt") != Sight::gone;
    const std::string in = sourceSeen ? "" : "in the game's source folder, ";
    if (owner == 0) {
        const std::string tree =
            ZQ::shellQuoted(!buildTree.empty() && rootsAlone(buildTree) ? buildTree : kRootsBuild);
        return {when + in + "build the game again as root's own and install it",
                asOwner(0, "cmake -S " + (sourceSeen ? ZQ::shellQuoted(sourceTree) : ".") + " -B " + tree) +
                    " && " + asOwner(0, "cmake --build " + tree + " --target velmora -j\"$(nproc)\"") +
                    " && " + asOwner(0, "cmake --install " + tree + to)};
    }
    const std::string script =
        sourceSeen ? ZQ::shellQuoted(sourceTree + "/scripts/build") : std::string("./scripts/build");
    const std::string build = sourceSeen ? ZQ::shellQuoted(sourceTree + "/build") : std::string("build");
    return {when + in + "build the game again and install it",
            asOwner(owner, script + " --target velmora") + " && " +
                asOwner(owner, "cmake --install " + build + to)};
}

} // namespace

std::vector<ZQ::Mend> mends(const std::string& folder, ZQ::BundleOrigin origin, const std::string& buildTree,
                            const std::string& sourceTree) {
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
    const uid_t owner = ownerOf(folder);
    const std::string install = asOwner(owner, "cmake --install " + ZQ::shellQuoted(buildTree) +
                                                   " --prefix " + ZQ::shellQuoted(prefix.string()));
    // Only what the game sees is said: a build in a folder shut to it (root's
    // home) is likelier there than gone, and root, who can look, may find it
    // either way.
    switch (buildTree.empty() ? Sight::gone : sight(fs::path(buildTree) / "cmake_install.cmake")) {
    case Sight::there:
        return {{"install the game again from the build it came from", install}};
    case Sight::hidden:
        return {
            {"install the game again from the build it came from, if it is still there (the game cannot look "
             "into it)",
             install},
            rebuild(owner, prefix, buildTree, sourceTree, "if it is not there, ")};
    case Sight::gone:
        break;
    }
    ZQ::Mend mend = rebuild(owner, prefix, buildTree, sourceTree, "");
    if (!buildTree.empty()) {
        mend.advice += " (the build it came from is no longer in " + buildTree + ")";
    }
    return {mend};
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
                           mends(folder, origin, ZQ::buildTree(), ZQ::sourceTree())};
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
    return ZQ::Refusal{"", why, mends(folder, origin, ZQ::buildTree(), ZQ::sourceTree())};
}

} // namespace ZQBundleCheck
