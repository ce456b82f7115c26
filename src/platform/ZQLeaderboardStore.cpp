#include "platform/ZQLeaderboardStore.h"

#include "engine/Assert.h"
#include "engine/Log.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <map>
#include <set>

namespace {

using ZQ::StoreValue;

struct BoardTitle {
    const char* identifier;
    const char* title;
};

// The boards the game reports to, as the leaderboard screen lists them.
// clang-format off
constexpr BoardTitle kBoards[] = {
    {"velmora.points",         "Points"},       // 0
    {"velmora.levels",         "Level"},        // 1
    {"velmora.tangles.golden", "Golden knots"}, // 2
};
// clang-format on
static_assert(std::size(kBoards) == 3);

constexpr std::size_t kRecentShown = 5; // a board's reports the screen lists

std::optional<ZQLeaderboardStore::Entry> readEntry(const StoreValue* value, const StoreValue* date) {
    if (value == nullptr || date == nullptr || value->asInteger() == nullptr || date->asString() == nullptr ||
        date->asString()->size() > ZQLeaderboardStore::kDateMaxBytes) {
        return std::nullopt;
    }
    return ZQLeaderboardStore::Entry{*value->asInteger(), *date->asString()};
}

// The board in `stored` (an empty one when there is none), or nothing when
// its shape is not ours.
std::optional<ZQLeaderboardStore::Board> readBoard(const StoreValue* stored) {
    ZQLeaderboardStore::Board board;
    if (stored == nullptr) {
        return board;
    }
    if (stored->asDictionary() == nullptr) {
        return std::nullopt;
    }
    if (const StoreValue* best = stored->find("best")) {
        board.best = readEntry(best, stored->find("bestDate"));
        if (!board.best) {
            return std::nullopt;
        }
    }
    if (const StoreValue* recent = stored->find("recent")) {
        if (recent->asArray() == nullptr) {
            return std::nullopt;
        }
        for (const StoreValue& report : *recent->asArray()) {
            auto entry = readEntry(report.find("value"), report.find("date"));
            if (!entry) {
                return std::nullopt;
            }
            board.recent.push_back(std::move(*entry));
        }
    }
    return board;
}

StoreValue boardValue(const ZQLeaderboardStore::Board& board) {
    StoreValue::Array recent;
    for (const ZQLeaderboardStore::Entry& entry : board.recent) {
        recent.push_back(StoreValue::dictionary(
            {{"value", StoreValue::integer(entry.value)}, {"date", StoreValue::string(entry.date)}}));
    }
    StoreValue::Dictionary fields = {{"recent", StoreValue::array(std::move(recent))}};
    if (board.best) {
        fields.emplace("best", StoreValue::integer(board.best->value));
        fields.emplace("bestDate", StoreValue::string(board.best->date));
    }
    return StoreValue::dictionary(std::move(fields));
}

// A report as the screen lists it, "7 (2026-12-07 13:56 UTC)" for 7 at
// "2026-12-07T13:56:00Z"; a date of another form is shown as it is.
std::string shown(const ZQLeaderboardStore::Entry& report) {
    const std::string& date = report.date;
    const bool utc = date.size() == 20 && date[10] == 'T' && date[19] == 'Z';
    const std::string when = utc ? date.substr(0, 10) + " " + date.substr(11, 5) + " UTC" : date;
    // Up to a NUL that a file put in the date: the screen's text ends at one.
    return std::to_string(report.value) + " (" + when.c_str() + ")\n";
}

} // namespace

ZQLeaderboardStore::ZQLeaderboardStore(ZQ::PlistFileStore::Place folder, const std::string& name)
    : store(std::move(folder), name, writtenRoom()) {}

ZQLeaderboardStore::ZQLeaderboardStore(const std::string& path) : store(path, writtenRoom()) {}

const ZQ::PlistRoom& ZQLeaderboardStore::writtenRoom() {
    static const ZQ::PlistRoom room = [] {
        const Entry widest{std::numeric_limits<int64_t>::min(), std::string(kDateMaxBytes, '&')};
        const Board full{widest, std::vector<Entry>(kRecentKept, widest)};
        StoreValue::Dictionary entries = {
            {kPlayerKey, StoreValue::string(std::string(kPlayerMaxBytes, '&'))}};
        for (const BoardTitle& board : kBoards) {
            entries.emplace(board.identifier, boardValue(full));
        }
        return ZQ::plistRoomOf(entries);
    }();
    return room;
}

bool ZQLeaderboardStore::signIn(const std::string& player) {
    ZQ_ASSERT(player.size() <= kPlayerMaxBytes);
    store.update([&player](ZQ::KeyValueStore& file) { file.setString(kPlayerKey, player); });
    return !store.refusal();
}

bool ZQLeaderboardStore::report(std::span<const ZQ::LeaderboardScore> scores, const std::string& date) {
    ZQ_ASSERT(date.size() <= kDateMaxBytes);
    // Added to the boards as the file holds them, again over another
    // writer's boards should it change them before this write lands; a
    // board that still holds what this report left it as has it already.
    std::map<std::string, StoreValue, std::less<>> left;
    return store.update([&](ZQ::KeyValueStore& file) {
        std::set<std::string, std::less<>> reported;
        for (const auto& [identifier, value] : left) {
            if (const StoreValue* now = file.object(identifier); now != nullptr && *now == value) {
                reported.insert(identifier);
            }
        }
        for (const ZQ::LeaderboardScore& score : scores) {
            if (reported.contains(score.leaderboard)) {
                continue;
            }
            const StoreValue* stored = file.object(score.leaderboard);
            std::optional<Board> board = readBoard(stored);
            if (!board) {
                ZQ::platformLog("Leaderboard %s in %s is %s, not a board; it starts afresh",
                                score.leaderboard, store.path().c_str(), stored->describe().c_str());
                board.emplace();
            }
            // Higher is better on every board; an equal value keeps the date
            // it was first reached.
            if (!board->best || score.value > board->best->value) {
                board->best = Entry{score.value, date};
            }
            board->recent.push_back(Entry{score.value, date});
            if (board->recent.size() > kRecentKept) {
                board->recent.erase(board->recent.begin(),
                                    board->recent.end() - static_cast<std::ptrdiff_t>(kRecentKept));
            }
            StoreValue value = boardValue(*board);
            left.insert_or_assign(score.leaderboard, value);
            file.setObject(score.leaderboard, std::move(value));
        }
    });
}

ZQLeaderboardStore::Board ZQLeaderboardStore::board(std::string_view identifier) const {
    return readBoard(store.object(identifier)).value_or(Board{});
}

std::string ZQLeaderboardStore::summary() const {
    std::string text;
    for (const BoardTitle& entry : kBoards) {
        const Board listed = board(entry.identifier);
        text += (text.empty() ? "" : "\n") + std::string(entry.title) + "\n";
        if (!listed.best) {
            text += "  No score yet\n";
            continue;
        }
        text += "  Best: " + shown(*listed.best) + "  Latest:\n";
        for (std::size_t i = 1; i <= std::min(kRecentShown, listed.recent.size()); ++i) {
            text += "    " + shown(listed.recent[listed.recent.size() - i]);
        }
    }
    return text;
}

std::string ZQLeaderboardStore::utcDate(std::time_t when) {
    std::tm parts{};
    gmtime_r(&when, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}
