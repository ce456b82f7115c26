#include "GameDataFolder.h"

#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "levels/LevelCatalogueTables.h"
#include "support/KillProbe.h"

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// The record one store holds, when it holds one; `problem` says why a
// stored one was not taken.
std::optional<ZQ::SavedState> recordIn(const std::string& path, std::string& problem) {
    ZQ::PlistFileStore store(path);
    const ZQ::StoreValue* stored = store.object(ZQ::Preferences::kStateKey);
    if (stored == nullptr) {
        return std::nullopt;
    }
    std::string why;
    std::optional<ZQ::SavedState> record =
        ZQ::SavedState::fromStored(*stored, ZQ::LevelCatalogue::kLevelCount, why);
    if (!record && problem.empty()) {
        problem = path + ": the saved record fails its check: " + why;
    }
    return record;
}

} // namespace

std::string GameDataFolder::environment() const {
    // The cloud folder follows the data folder unless told otherwise.
    return "env -u VELMORA_CLOUD_DIR -u VELMORA_BUNDLE XDG_DATA_HOME=" + folder.path();
}

GameRun GameDataFolder::run(const std::string& arguments) const {
    return runShell(environment() + " '" + VELMORA_EXECUTABLE + "' --headless " + arguments);
}

int64_t GameDataFolder::runThenKillAt(const std::vector<std::string>& arguments, int64_t frame,
                                      const std::function<void()>& meanwhile) const {
    std::vector<std::string> command = {"/usr/bin/env",      "-u",
                                        "VELMORA_CLOUD_DIR", "-u",
                                        "VELMORA_BUNDLE",    "XDG_DATA_HOME=" + folder.path(),
                                        VELMORA_EXECUTABLE,  "--headless",
                                        "--print-frames"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return killprobe::runKilledWhen(command, [&](const std::string& printed) {
        const bool drawn = killprobe::lastNumber(printed) >= frame;
        if (drawn && meanwhile) {
            meanwhile();
        }
        return drawn;
    });
}

void GameDataFolder::seed(ZQ::SavedState record) const {
    record.auth_code = ZQ::SavedState::authCode(record);
    fs::create_directories(storeFolder() + "/cloud");
    ZQ::PlistFileStore defaults(storeFolder() + "/defaults.plist");
    ZQ::PlistFileStore cloud(storeFolder() + "/cloud/cloud.plist");
    record.save(defaults, cloud);
}

GameDataFolder::Saved GameDataFolder::read() const {
    Saved saved;
    auto list = [&] {
        std::vector<std::string> files;
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(storeFolder(), error)) {
            if (entry.is_regular_file()) {
                files.push_back(fs::relative(entry.path(), storeFolder()).string());
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    };
    auto setAside = [](const std::vector<std::string>& files) {
        const auto corrupt = std::find_if(files.begin(), files.end(), [](const std::string& name) {
            return name.find(".corrupt-") != std::string::npos;
        });
        return corrupt == files.end() ? std::string() : "a store was set aside: " + *corrupt;
    };
    saved.files = list();
    saved.problem = setAside(saved.files);
    if (!saved.problem.empty()) {
        return saved;
    }
    // Reading a store that is not a whole property list sets it aside.
    for (const std::string& name : saved.files) {
        if (name.ends_with(".plist")) {
            ZQ::PlistFileStore store(storeFolder() + "/" + name);
        }
    }
    saved.problem = setAside(list());
    if (!saved.problem.empty()) {
        return saved;
    }
    saved.record = recordIn(storeFolder() + "/defaults.plist", saved.problem);
    saved.cloudRecord = recordIn(storeFolder() + "/cloud/cloud.plist", saved.problem);
    return saved;
}
