#include "support/OwnFolders.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

OwnFolders::OwnFolders() : owner(::getpid()) {
    std::error_code error;
    fs::path parent = fs::temp_directory_path(error);
    if (const char* outer = std::getenv(kVariable); outer != nullptr && fs::is_directory(outer, error)) {
        parent = outer;
    }
    std::string pattern = (parent / "velmora-own-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        // Run on, it would read and write the player's own stores.
        std::fprintf(stderr, "cannot make a folder of this process's own in %s (%s); not run\n",
                     parent.c_str(), std::strerror(errno));
        std::exit(1);
    }
    folder = pattern;
    for (const auto& [variable, sub] :
         {std::pair{"XDG_DATA_HOME", "data"}, std::pair{"HOME", "home"},
          std::pair{"XDG_CONFIG_HOME", "config"}, std::pair{"XDG_CACHE_HOME", "cache"}}) {
        fs::create_directory(fs::path(folder) / sub, error);
        ::setenv(variable, (fs::path(folder) / sub).c_str(), 1);
    }
    // GoogleTest's TempDir(), where tests write files under fixed names,
    // would be /tmp/ itself, shared by every test process and by every user:
    // a file left there by a run as root refused a later run as a player,
    // and two processes wrote one name at once.
    fs::create_directory(fs::path(folder) / "tmp", error);
    ::setenv("TEST_TMPDIR", (fs::path(folder) / "tmp").c_str(), 1);
    // Mesa takes its shader cache's home from the password file, not HOME:
    // it is named. The build tree's one is shared by every test process, as
    // compiling the game's shaders afresh cost each game started half a
    // second of processor time.
    fs::create_directories(kShaderCache, error);
    ::setenv("MESA_SHADER_CACHE_DIR", kShaderCache, 1);
    // Unset, each falls back to a folder under the ones above; the bundle, to
    // the build tree's own.
    for (const char* variable :
         {"VELMORA_CLOUD_DIR", "VELMORA_BUNDLE", "XDG_PICTURES_DIR", "XDG_DOCUMENTS_DIR"}) {
        ::unsetenv(variable);
    }
    ::setenv(kVariable, folder.c_str(), 1);
}

OwnFolders::~OwnFolders() {
    if (::getpid() == owner) {
        std::error_code error;
        fs::remove_all(folder, error);
    }
}
