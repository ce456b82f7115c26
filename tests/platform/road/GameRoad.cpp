#include "GameRoad.h"

#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "platform/ZQFlowLines.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

bool readCheck(const std::string& word, RoadRun::FieldCheck& check) {
    const std::size_t at = word.find_first_of("=>");
    if (at == std::string::npos || at == 0 || at + 1 == word.size()) {
        return false;
    }
    check.field = word.substr(0, at);
    check.atLeast = word[at] == '>';
    char* end = nullptr;
    check.value = std::strtoll(word.c_str() + at + 1, &end, 10);
    return *end == '\0';
}

// One "#@" line into the run under way; false with `why` when unusable.
bool readDirective(std::istringstream& words, std::vector<RoadRun>& runs, int line, std::string& why) {
    std::string name;
    words >> name;
    if (name == "run") {
        RoadRun run;
        run.line = line;
        std::string seedWord;
        if (!(words >> run.frames) || run.frames < 2) {
            why = "a run needs its frames, 2 or more";
            return false;
        }
        if (!(words >> seedWord >> run.seed) || seedWord != "seed") {
            why = "a run needs its seed: run FRAMES seed N";
            return false;
        }
        runs.push_back(run);
        return true;
    }
    if (runs.empty()) {
        why = "\"" + name + "\" before the first run";
        return false;
    }
    RoadRun& run = runs.back();
    if (name == "state") {
        RoadRun::StateCheck check;
        std::string frames;
        char dash = 0;
        words >> frames >> check.state;
        std::istringstream span(frames);
        span >> check.from;
        check.to = check.from;
        if (span >> dash) {
            span >> check.to;
        }
        if (!words || !span.eof() || (dash != 0 && dash != '-') || check.from < 0 || check.to < check.from ||
            check.to >= run.frames) {
            why = "state needs a frame of the run (or FROM-TO) and a state";
            return false;
        }
        // A number the game never prints would fail the run with a bare number.
        if (*ZQ::MasterGameController::stateName(static_cast<ZQ::MasterGameController::State>(check.state)) ==
            '\0') {
            why = std::to_string(check.state) + " is no state of the game's flow";
            return false;
        }
        run.states.push_back(check);
        return true;
    }
    if (name == "shot") {
        long frame = 0;
        std::string value;
        if (!(words >> frame >> value) || frame < 0 || frame >= run.frames) {
            why = name + " needs a frame of the run and a value";
            return false;
        }
        run.shots[frame] = value;
        return true;
    }
    if (name == "saved") {
        for (std::string word; words >> word;) {
            RoadRun::FieldCheck check;
            if (word == "none") {
                run.nothingSaved = true;
            } else if (readCheck(word, check)) {
                run.saved.push_back(check);
            } else {
                why = "cannot read \"" + word + "\" (FIELD=N or FIELD>N)";
                return false;
            }
        }
        return true;
    }
    if (name == "mode") {
        std::string mode;
        words >> mode;
        if (mode != "zen" && mode != "arcade") {
            why = "the mode is zen or arcade";
            return false;
        }
        run.mode = mode == "zen" ? ZQ::ZenMode : ZQ::ArcadeMode;
        return true;
    }
    if (name == "tutorial") {
        std::string word;
        if (!(words >> word) || word != "completed") {
            why = "the tutorial check reads: tutorial completed";
            return false;
        }
        run.tutorialCompleted = true;
        return true;
    }
    if (name == "starts") {
        std::string word;
        if (!(words >> word) || word != "over") {
            why = "a new game over the stored progress reads: starts over";
            return false;
        }
        run.startsOver = true;
        return true;
    }
    why = "unknown directive \"" + name + "\"";
    return false;
}

std::string quoted(const std::string& word) {
    return "'" + word + "'";
}

} // namespace

std::vector<std::string> RoadRun::arguments(const std::string& inputFile,
                                            const std::string& shotFolder) const {
    std::vector<std::string> words = {"--seed",   std::to_string(seed),   "--print-states",
                                      "--frames", std::to_string(frames), "--input",
                                      inputFile};
    if (drawShotsOnly) {
        words.push_back("--draw-shots-only");
    }
    for (const auto& [frame, name] : shots) {
        words.push_back("--shot");
        words.push_back(std::to_string(frame) + ":" + shotFolder + "/" + name + ".png");
    }
    return words;
}

bool roadPlayedOnce() {
    return std::getenv("VELMORA_ROAD_ONCE") != nullptr;
}

bool readRoad(const std::string& path, std::vector<RoadRun>& runs, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    runs.clear();
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        std::string why;
        if (line.rfind("#@", 0) == 0) {
            std::istringstream words(line.substr(2));
            if (!readDirective(words, runs, number, why)) {
                error = path + ":" + std::to_string(number) + ": " + why;
                return false;
            }
        } else if (!line.empty() && line[0] != '#') {
            if (runs.empty()) {
                error = path + ":" + std::to_string(number) + ": a touch before the first run";
                return false;
            }
            runs.back().input += line + "\n";
        }
    }
    if (runs.empty()) {
        error = path + ": no run";
        return false;
    }
    return true;
}

int32_t RoadRunResult::stateAfter(long frame) const {
    auto next = trail.upper_bound(frame);
    return next == trail.begin() ? -1 : std::prev(next)->second;
}

std::string RoadRunResult::stateMismatch(const RoadRun::StateCheck& check) const {
    const auto named = [](int32_t state) {
        return state < 0 ? std::string("no state printed yet")
                         : ZQFlowLines::masterState(static_cast<ZQ::MasterGameController::State>(state));
    };
    const int32_t first = stateAfter(check.from);
    if (first != check.state) {
        return "after frame " + std::to_string(check.from) + ": " + named(first) + ", where " +
               named(check.state) + " was expected";
    }
    const auto change = trail.upper_bound(check.from);
    if (change != trail.end() && change->first <= check.to) {
        return named(change->second) + " at frame " + std::to_string(change->first) + ", where " +
               named(check.state) + " was expected through frame " + std::to_string(check.to);
    }
    return "";
}

bool tutorialCompletedIn(const GameDataFolder& data) {
    for (const std::string& file :
         {data.storeFolder() + "/defaults.plist", data.storeFolder() + "/cloud/cloud.plist"}) {
        // A store not there yet must not be made by reading it.
        if (!std::filesystem::exists(file) ||
            !ZQ::PlistFileStore(file).boolForKey(ZQ::Preferences::kTutorialCompletedKey)) {
            return false;
        }
    }
    return true;
}

std::optional<int64_t> storedMode(const GameDataFolder& data) {
    const std::string file = data.storeFolder() + "/defaults.plist";
    if (!std::filesystem::exists(file)) {
        return std::nullopt;
    }
    ZQ::PlistFileStore store(file);
    const ZQ::StoreValue* value = store.object(ZQ::Preferences::kGameModeKey);
    if (value == nullptr) {
        return ZQ::ArcadeMode; // what the game plays until the mode is switched
    }
    if (value->asInteger() == nullptr) {
        return std::nullopt;
    }
    return *value->asInteger();
}

RoadRunResult playRoadRun(const GameDataFolder& data, const RoadRun& run, const std::string& scratch,
                          const std::string& shotFolder) {
    const std::string inputFile = scratch + "/road-" + std::to_string(run.line) + ".txt";
    std::ofstream(inputFile) << run.input;
    std::string command;
    for (const std::string& word : run.arguments(inputFile, shotFolder)) {
        command += quoted(word) + " ";
    }
    RoadRunResult result;
    result.run = data.run(command);
    result.trail = readStateTrail(result.run.output);
    result.saved = data.read();
    result.mode = storedMode(data);
    result.tutorialCompleted = tutorialCompletedIn(data);
    return result;
}

std::string checkRecord(const ZQ::SavedState& record, const std::vector<RoadRun::FieldCheck>& checks) {
    std::string differs;
    for (const RoadRun::FieldCheck& check : checks) {
        int64_t value = 0;
        if (check.field == "level") {
            value = record.level;
        } else if (check.field == "max_level") {
            value = record.max_level;
        } else if (check.field == "points") {
            value = record.points;
        } else if (check.field == "difficulty") {
            value = record.difficulty;
        } else if (check.field.rfind("grade", 0) == 0) {
            const std::size_t level = std::stoul(check.field.substr(5));
            if (level >= record.tangleForlevel.size()) {
                differs += check.field + ": no such level; ";
                continue;
            }
            value = record.tangleForlevel[level];
        } else {
            differs += check.field + ": no such field; ";
            continue;
        }
        if (check.atLeast ? value <= check.value : value != check.value) {
            differs += check.field + " is " + std::to_string(value) +
                       (check.atLeast ? ", not above " : ", not ") + std::to_string(check.value) + "; ";
        }
    }
    return differs;
}

std::string lostProgress(const ZQ::SavedState& before, const ZQ::SavedState& after) {
    std::string lost;
    if (after.max_level < before.max_level) {
        lost +=
            "max_level " + std::to_string(before.max_level) + " -> " + std::to_string(after.max_level) + "; ";
    }
    if (after.points < before.points) {
        lost += "points " + std::to_string(before.points) + " -> " + std::to_string(after.points) + "; ";
    }
    for (int32_t i = 0; i < before.max_level; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        // A finished level's grade only gets better (a lower number).
        if (after.tangleForlevel[k] > before.tangleForlevel[k]) {
            lost += "level " + std::to_string(i) + "'s grade " + std::to_string(before.tangleForlevel[k]) +
                    " -> " + std::to_string(after.tangleForlevel[k]) + "; ";
        }
    }
    return lost;
}
