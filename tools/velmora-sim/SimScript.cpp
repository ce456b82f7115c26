#include "SimScript.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace velmora_sim {

namespace {

constexpr int32_t kMaxFrame = 10'000'000;
constexpr float kMaxCoordinate = 1e6f;
constexpr float kMaxRadius = 1e4f;

struct KindName {
    const char* name;
    ScriptEvent::Kind kind;
};

constexpr KindName kKinds[] = {
    {"began", ScriptEvent::Kind::Began}, {"moved", ScriptEvent::Kind::Moved},
    {"ended", ScriptEvent::Kind::Ended}, {"cancelled", ScriptEvent::Kind::Cancelled},
    {"swipe", ScriptEvent::Kind::Swipe},
};

struct DirectionName {
    const char* name;
    int32_t direction;
};

constexpr DirectionName kDirections[] = {
    {"right", 1},
    {"left", 2},
    {"up", 4},
    {"down", 8},
};

bool readInt(const std::string& text, int32_t& out) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return !text.empty() && ec == std::errc() && ptr == end;
}

bool readFloat(const std::string& text, float& out) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return !text.empty() && ec == std::errc() && ptr == end && std::isfinite(out);
}

// One line's event; false with the reason (without the line number).
bool parseLine(const std::vector<std::string>& words, ScriptEvent& event, std::string& why) {
    if (words.size() < 4) {
        why = "expected FRAME KIND X Y [RADIUS or DIRECTION], got " + std::to_string(words.size()) + " words";
        return false;
    }
    if (!readInt(words[0], event.frame) || event.frame < 0 || event.frame > kMaxFrame) {
        why = "frame must be a whole number from 0 to 10000000, not '" + words[0] + "'";
        return false;
    }
    bool known = false;
    for (const KindName& k : kKinds) {
        if (words[1] == k.name) {
            event.kind = k.kind;
            known = true;
        }
    }
    if (!known) {
        why = "unknown event '" + words[1] + "' (began, moved, ended, cancelled or swipe)";
        return false;
    }
    for (size_t i : {size_t{2}, size_t{3}}) {
        float& out = i == 2 ? event.x : event.y;
        if (!readFloat(words[i], out) || std::fabs(out) > kMaxCoordinate) {
            why = std::string(i == 2 ? "x" : "y") + " must be a number of pixels, not '" + words[i] + "'";
            return false;
        }
    }

    if (event.kind == ScriptEvent::Kind::Swipe) {
        if (words.size() != 5) {
            why = "a swipe needs a direction (right, left, up or down) after X Y";
            return false;
        }
        for (const DirectionName& d : kDirections) {
            if (words[4] == d.name) {
                event.direction = d.direction;
            }
        }
        if (event.direction == 0) {
            why = "unknown swipe direction '" + words[4] + "' (right, left, up or down)";
            return false;
        }
        return true;
    }
    if (words.size() > 5) {
        why = "unexpected '" + words[5] + "' after the radius";
        return false;
    }
    if (words.size() == 5 &&
        (!readFloat(words[4], event.radius) || event.radius < 0.0f || event.radius > kMaxRadius)) {
        why = "radius must be a number of points from 0 to 10000, not '" + words[4] + "'";
        return false;
    }
    return true;
}

} // namespace

bool parseScript(std::istream& in, std::vector<ScriptEvent>& events, std::string& error) {
    std::string text;
    int32_t line = 0;
    int32_t lastFrame = 0;
    while (std::getline(in, text)) {
        ++line;
        const size_t hash = text.find('#');
        if (hash != std::string::npos) {
            text.erase(hash);
        }
        std::istringstream split(text);
        std::vector<std::string> words;
        for (std::string word; split >> word;) {
            words.push_back(word);
        }
        if (words.empty()) {
            continue;
        }
        ScriptEvent event;
        event.line = line;
        std::string why;
        if (!parseLine(words, event, why)) {
            error = "line " + std::to_string(line) + ": " + why;
            return false;
        }
        if (event.frame < lastFrame) {
            error = "line " + std::to_string(line) + ": frame " + std::to_string(event.frame) +
                    " comes after frame " + std::to_string(lastFrame);
            return false;
        }
        lastFrame = event.frame;
        events.push_back(event);
    }
    if (in.bad()) {
        error = "read error after line " + std::to_string(line);
        return false;
    }
    return true;
}

bool loadScript(const std::string& path, std::vector<ScriptEvent>& events, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot read script '" + path + "'";
        return false;
    }
    if (!parseScript(file, events, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::string describe(const ScriptEvent& event) {
    char text[96];
    const char* name = "";
    for (const KindName& k : kKinds) {
        if (k.kind == event.kind) {
            name = k.name;
        }
    }
    if (event.kind == ScriptEvent::Kind::Swipe) {
        const char* direction = "";
        for (const DirectionName& d : kDirections) {
            if (d.direction == event.direction) {
                direction = d.name;
            }
        }
        std::snprintf(text, sizeof text, "%s (%.1f, %.1f) %s", name, static_cast<double>(event.x),
                      static_cast<double>(event.y), direction);
    } else if (event.kind == ScriptEvent::Kind::Began || event.kind == ScriptEvent::Kind::Moved) {
        std::snprintf(text, sizeof text, "%s (%.1f, %.1f) radius %.1f", name, static_cast<double>(event.x),
                      static_cast<double>(event.y), static_cast<double>(event.radius));
    } else {
        // A lifted touch is found by its point alone.
        std::snprintf(text, sizeof text, "%s (%.1f, %.1f)", name, static_cast<double>(event.x),
                      static_cast<double>(event.y));
    }
    return text;
}

} // namespace velmora_sim
