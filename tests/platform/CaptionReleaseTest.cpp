#include "platform/ZQCaptionRelease.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Entry {
    std::string name;
};

TEST(CaptionReleaseTest, UnshownCaptionsAreFreedAndTheMapNeverGrows) {
    // Names the box has heard of: two rendered and shown, two rendered and
    // not shown, two never rendered (no slot), one with an empty slot left
    // by older code.
    const std::vector<std::string> names = {"menu_play", "timer_12", "score_3",   "tip_drag",
                                            "menu_map",  "story_1",  "award_gold"};
    std::map<std::string, Entry*> entries;
    for (const char* name : {"menu_play", "timer_12", "score_3", "tip_drag"}) {
        entries[name] = new Entry{name};
    }
    entries["award_gold"] = nullptr;
    const std::unordered_set<std::string> shown = {"menu_play", "timer_12", "menu_map"};
    std::vector<std::string> released;

    releaseUnshownCaptions(names, entries, shown, [&](Entry* entry) {
        released.push_back(entry->name);
        delete entry;
    });

    EXPECT_EQ(released, (std::vector<std::string>{"score_3", "tip_drag"})) << "in the box's name order";
    std::vector<std::string> left;
    for (const auto& [name, entry] : entries) {
        left.push_back(name);
    }
    EXPECT_EQ(left, (std::vector<std::string>{"award_gold", "menu_play", "timer_12"}))
        << "no slot made for a name without an entry, released slots gone";
    delete entries["menu_play"];
    delete entries["timer_12"];

    // Nothing shown frees every rendered caption; a second run finds nothing.
    std::map<std::string, Entry*> again = {{"a", new Entry{"a"}}, {"b", new Entry{"b"}}};
    int freed = 0;
    const auto free = [&](Entry* entry) {
        ++freed;
        delete entry;
    };
    releaseUnshownCaptions(std::vector<std::string>{"a", "b", "c"}, again, {}, free);
    releaseUnshownCaptions(std::vector<std::string>{"a", "b", "c"}, again, {}, free);
    EXPECT_EQ(freed, 2);
    EXPECT_TRUE(again.empty());
}

} // namespace
