#include "platform/ZQInputScript.h"

#include "platform/ZQGestureRecognizer.h"
#include "platform/ZQView.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

using Kind = ZQInputScript::Event::Kind;

constexpr int32_t kMaxFrame = 10'000'000;
// The road's file is 15 KB; these bounds are far beyond any script written by
// hand or a tool, and keep a device or a runaway file (/dev/zero, a log) from
// filling the memory before it is refused.
constexpr std::size_t kMaxLineBytes = 4096;
constexpr std::size_t kMaxFileBytes = 16u << 20;
constexpr float kMaxCoordinate = 1e5f;
constexpr float kMaxRadius = 1e4f;

struct KindName {
    const char* name;
    Kind kind;
};

// clang-format off
constexpr KindName kKinds[] = {
    {"began",     Kind::Began},
    {"moved",     Kind::Moved},
    {"ended",     Kind::Ended},
    {"cancelled", Kind::Cancelled},
    {"swipe",     Kind::Swipe},
    {"tap",       Kind::Tap},
    {"doubletap", Kind::DoubleTap},
};
static_assert(std::size(kKinds) == 7, "four touch phases and three gestures");

struct DirectionName {
    const char* name;
    int direction;
};

constexpr DirectionName kDirections[] = {
    {"right", kSwipeRight},
    {"left",  kSwipeLeft},
    {"up",    kSwipeUp},
    {"down",  kSwipeDown},
};
static_assert(std::size(kDirections) == 4, "four swipe directions");
// clang-format on

bool isTouch(Kind kind) {
    return kind == Kind::Began || kind == Kind::Moved || kind == Kind::Ended || kind == Kind::Cancelled;
}

template <class T> bool readNumber(const std::string& text, T& out) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return !text.empty() && ec == std::errc() && ptr == end;
}

bool readSize(const std::string& text, float& out) {
    return readNumber(text, out) && std::isfinite(out) && out >= 0.0f && out <= kMaxRadius;
}

// One line's event; false with the reason.
bool parseLine(const std::vector<std::string>& words, ZQInputScript::Event& event, std::string& why) {
    if (words.size() < 2 || !readNumber(words[0], event.frame) || event.frame < 0 ||
        event.frame > kMaxFrame) {
        why = "expected a frame from 0 to 10000000 and an event";
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
        why = "unknown event '" + words[1] + "' (began, moved, ended, cancelled, swipe, tap or doubletap)";
        return false;
    }
    std::size_t at = 2;
    if (isTouch(event.kind) && (words.size() <= at || !readNumber(words[at++], event.finger))) {
        why = "a touch needs a whole finger number after the event";
        return false;
    }
    if (words.size() < at + 2 || !readNumber(words[at], event.location.x) ||
        !readNumber(words[at + 1], event.location.y) || !(std::fabs(event.location.x) <= kMaxCoordinate) ||
        !(std::fabs(event.location.y) <= kMaxCoordinate)) {
        why = "expected X Y in points";
        return false;
    }
    at += 2;
    const std::size_t left = words.size() - at;
    if (event.kind == Kind::Swipe) {
        for (const DirectionName& d : kDirections) {
            if (left == 1 && words[at] == d.name) {
                event.direction = d.direction;
            }
        }
        if (event.direction == 0) {
            why = "a swipe needs one direction after X Y (right, left, up or down)";
            return false;
        }
        return true;
    }
    const std::size_t sizes = isTouch(event.kind) ? 2 : event.kind == Kind::Tap ? 1 : 0;
    if (left > sizes) {
        why = "unexpected '" + words[at + sizes] + "'";
        return false;
    }
    if (left >= 1) {
        event.hasRadius = true;
        if (!readSize(words[at], event.radius) || (left == 2 && !readSize(words[at + 1], event.tolerance))) {
            why = "a radius or tolerance must be a number of points from 0 to 10000";
            return false;
        }
    }
    return true;
}

// The next line of `in` without its newline, read a byte at a time so that a
// line is never held past kMaxLineBytes; false at the end of the input.
// `tooLong` tells of a line cut there, `total` counts the bytes read.
bool readLine(std::istream& in, std::string& text, bool& tooLong, std::size_t& total) {
    text.clear();
    tooLong = false;
    std::streambuf* buffer = in.rdbuf();
    for (;;) {
        const int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            return !text.empty();
        }
        ++total;
        if (c == '\n') {
            return true;
        }
        if (text.size() == kMaxLineBytes) {
            tooLong = true;
            return true;
        }
        text.push_back(static_cast<char>(c));
    }
}

} // namespace

bool ZQInputScript::parse(std::istream& in, std::string& error) {
    std::string text;
    int32_t line = 0;
    int32_t lastFrame = 0;
    bool tooLong = false;
    std::size_t total = 0;
    while (readLine(in, text, tooLong, total)) {
        ++line;
        if (tooLong) {
            error = "line " + std::to_string(line) + ": longer than " + std::to_string(kMaxLineBytes) +
                    " characters";
            return false;
        }
        if (total > kMaxFileBytes) {
            error = "line " + std::to_string(line) + ": the file goes on past " +
                    std::to_string(kMaxFileBytes >> 20) + " MB";
            return false;
        }
        text.erase(std::min(text.find('#'), text.size()));
        std::istringstream split(text);
        std::vector<std::string> words;
        for (std::string word; split >> word;) {
            words.push_back(word);
        }
        if (words.empty()) {
            continue;
        }
        Event event;
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
        list.push_back(event);
    }
    return true;
}

bool ZQInputScript::load(const std::string& path, std::string& error) {
    // A folder opens as a stream that reads nothing: an empty script.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        error = "input file '" + path + "' is a folder";
        return false;
    }
    errno = 0;
    std::ifstream file(path);
    if (!file) {
        // The stream keeps no reason of its own; the open beneath it left
        // one in errno (no such file, no permission).
        error = "cannot read input file '" + path + "': " + std::strerror(errno);
        return false;
    }
    if (!parse(file, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::string ZQInputScript::describe(const Event& event) {
    std::ostringstream line;
    for (const KindName& k : kKinds) {
        if (k.kind == event.kind) {
            line << k.name;
        }
    }
    if (isTouch(event.kind)) {
        line << ' ' << event.finger;
    }
    line << ' ' << event.location.x << ' ' << event.location.y;
    for (const DirectionName& d : kDirections) {
        if (event.kind == Kind::Swipe && d.direction == event.direction) {
            line << ' ' << d.name;
        }
    }
    if (event.hasRadius) {
        line << ' ' << event.radius;
        if (event.tolerance != 0.0f) {
            line << ' ' << event.tolerance;
        }
    }
    return line.str();
}

std::span<const ZQInputScript::Event> ZQInputScript::take(int32_t frame) {
    const std::size_t first = next;
    while (next < list.size() && frameShowing(list[next].frame) <= frame) {
        ++next;
    }
    return std::span<const Event>(list).subspan(first, next - first);
}

void ZQInputScript::deliver(ZQView& view, int32_t frame, double secondsPerFrame, float touchRadius) {
    const std::span<const Event> due = take(frame);
    for (std::size_t at = 0; at < due.size();) {
        const Event& first = due[at];
        if (!isTouch(first.kind)) {
            ++at;
            if (first.kind == Kind::Swipe) {
                view.handleSwipe(first.location, first.direction);
            } else if (first.kind == Kind::Tap) {
                view.handleTap(first.location, first.hasRadius ? first.radius : touchRadius);
            } else {
                view.handleDoubleTap(first.location);
            }
            continue;
        }
        ZQTouchSet touches;
        for (; at < due.size() && due[at].frame == first.frame && due[at].kind == first.kind; ++at) {
            const Event& e = due[at];
            ZQTouch touch;
            touch.id = e.finger;
            touch.location = e.location;
            touch.timestamp = e.frame * secondsPerFrame;
            touch.hasMajorRadius = e.hasRadius;
            touch.majorRadius = e.radius;
            touch.majorRadiusTolerance = e.tolerance;
            touches.push_back(touch);
        }
        switch (first.kind) {
        case Kind::Began:
            view.touchesBegan(touches);
            break;
        case Kind::Moved:
            view.touchesMoved(touches);
            break;
        case Kind::Ended:
            view.touchesEnded(touches);
            break;
        default:
            view.touchesCancelled(touches);
            break;
        }
    }
}
