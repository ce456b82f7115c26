#include "engine/Bundle.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifndef VELMORA_BUILD_TREE
#define VELMORA_BUILD_TREE ""
#endif
#ifndef VELMORA_SOURCE_TREE
#define VELMORA_SOURCE_TREE ""
#endif

namespace ZQ {

namespace {

namespace fs = std::filesystem;

// True when `path` lies inside `folder` (both absolute).
bool isInside(const fs::path& path, const fs::path& folder) {
    const fs::path p = path.lexically_normal();
    const fs::path f = folder.lexically_normal();
    return std::mismatch(f.begin(), f.end(), p.begin(), p.end()).first == f.end();
}

std::string withoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

struct Choice {
    std::string folder;
    BundleOrigin origin;
};

Choice choose(const char* variable, const std::string& executable, const std::string& buildTree) {
    if (variable != nullptr && variable[0] != '\0') {
        return {withoutTrailingSlash(fs::path(variable).lexically_normal().string()), BundleOrigin::variable};
    }
    const fs::path exe(executable);
    const fs::path tree(withoutTrailingSlash(buildTree));
    // Programs built and run in the build tree (the game, the tools, the
    // tests) read what the build generated there.
    if (!tree.empty() && isInside(exe, tree)) {
        return {(tree / "bundle").lexically_normal().string(), BundleOrigin::buildTree};
    }
    // An install's own folder: never share/velmora, which under the prefix
    // ~/.local is the player's data folder, where the saves live.
    return {(exe.parent_path().parent_path() / "share" / "games" / "velmora").lexically_normal().string(),
            BundleOrigin::install};
}

const Choice& processChoice() {
    static const Choice choice = [] {
        std::error_code error;
        fs::path exe = fs::read_symlink("/proc/self/exe", error);
        if (error) {
            exe = fs::current_path(error) / "velmora";
        }
        return choose(std::getenv("VELMORA_BUNDLE"), exe.string(), buildTree());
    }();
    return choice;
}

} // namespace

std::string chooseBundleFolder(const char* variable, const std::string& executable,
                               const std::string& buildTree) {
    return choose(variable, executable, buildTree).folder;
}

const std::string& bundleFolder() {
    return processChoice().folder;
}

BundleOrigin bundleOrigin() {
    return processChoice().origin;
}

const std::string& buildTree() {
    static const std::string tree = VELMORA_BUILD_TREE;
    return tree;
}

const std::string& sourceTree() {
    static const std::string tree = VELMORA_SOURCE_TREE;
    return tree;
}

std::string pathForResourceIn(const std::string& folder, std::string_view name, std::string_view ext) {
    // A name is a file in the folder or below it, never a way out of it.
    const fs::path relative(name);
    if (name.empty() || relative.is_absolute()) {
        return {};
    }
    for (const fs::path& part : relative) {
        if (part == "..") {
            return {};
        }
    }
    std::string path = folder;
    path += '/';
    path += name;
    if (!ext.empty()) {
        path += '.';
        path += ext;
    }
    std::error_code error;
    return fs::is_regular_file(path, error) ? path : std::string();
}

std::string pathForResource(std::string_view name, std::string_view ext) {
    return pathForResourceIn(bundleFolder(), name, ext);
}

} // namespace ZQ
