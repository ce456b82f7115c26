#pragma once

#include <string>
#include <unordered_set>

// The release half of the view's runGc: on memory pressure the caption
// textures that no model shows are freed, and their names stay known so a
// later request renders them again.
//
// `names` is the caption box's list of every caption name in the order they
// were first asked for; `entries` maps a name to its owned entry (a
// pointer); `shown` holds the names the models still show, as
// Model::collectCaptions gathers them; `release` frees one entry (its GL
// texture, the texture object, the entry). Each name is looked up with find:
// a name without an entry adds no slot to the map, so the release neither
// grows the map nor leaves empty slots behind for the tear-down to trip over.
// A released name's slot is erased.
template <class Names, class Entries, class Release>
void releaseUnshownCaptions(const Names& names, Entries& entries,
                            const std::unordered_set<std::string>& shown, Release release) {
    for (const std::string& name : names) {
        const auto it = entries.find(name);
        if (it == entries.end() || it->second == nullptr || shown.count(name) != 0) {
            continue;
        }
        release(it->second);
        entries.erase(it);
    }
}
