#include "support/OwnFolders.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

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
    const fs::path own(folder);
    for (const char* sub : {"data", "home", "config"}) {
        fs::create_directory(own / sub, error);
    }
    ::setenv("XDG_DATA_HOME", (own / "data").c_str(), 1);
    ::setenv("HOME", (own / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (own / "config").c_str(), 1);
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
