// Writes the state fuzzer's crafted seeds: one well-formed binary list of
// every kind a store may meet, and lists that attack the readers (keys
// holding a NUL, objects shared by many references, an array holding itself;
// in XML, nesting behind attributes and a run of entity references).
//   plist-seeds OUTPUT_FOLDER
#include "BinaryPlistWriter.h"
#include "HostilePlists.h"
#include "OutputFolder.h"
#include "ToolUsage.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace std::literals;

namespace {

using Ref = BinaryPlistWriter::Ref;

std::string everyKind() {
    BinaryPlistWriter list;
    std::vector<Ref> levels;
    for (int i = 0; i < 20; ++i) {
        levels.push_back(list.integer(i % 5));
    }
    const Ref state = list.dictionary({
        {list.ascii("level"), list.integer(3)},
        {list.ascii("max_level"), list.integer(3)},
        {list.ascii("points"), list.integer(-1234567890123)},
        {list.ascii("tangleForlevel"), list.array(levels)},
        {list.ascii("auth_code"), list.ascii("AAAA=")},
    });
    return list.bytes(list.dictionary({
        {list.ascii("zr_state"), state},
        {list.ascii("zr_gamemode"), list.integer(1)},
        {list.ascii("zr_tutorial_completed"), list.boolean(true)},
        {list.ascii("shade"), list.real(0.25)},
        {list.utf16(u"n\u00e6ve \u65e5\u672c"), list.data("\0\1\xff"sv)},
        {list.ascii("when"), list.date(600000000.0)},
        {list.ascii("byte"), list.narrowInteger(200, 1)},
        {list.ascii("beyond_int64"), list.wideInteger(0, UINT64_MAX)},
    }));
}

std::string nulInAsciiKey() {
    BinaryPlistWriter list;
    return list.bytes(list.dictionary({{list.ascii("zr_game\0mode"sv), list.integer(1)}}));
}

// Dictionaries whose values are all one dictionary, nested: 3^20 values.
std::string sharedDictionaries() {
    BinaryPlistWriter list;
    const Ref a = list.ascii("a");
    const Ref b = list.ascii("b");
    const Ref c = list.ascii("c");
    Ref below = list.boolean(false);
    for (int level = 0; level < 20; ++level) {
        below = list.dictionary({{a, below}, {b, below}, {c, below}});
    }
    return list.bytes(below);
}

std::string selfReference() {
    BinaryPlistWriter list;
    const Ref key = list.ascii("zr_state");
    // The array is the object after the key: it names itself.
    const Ref self = list.array({key + 1, key + 1});
    return list.bytes(list.dictionary({{key, self}}));
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> status =
            ToolUsage::answerNames(argc, argv, 1, 1, "usage: plist-seeds OUTPUT_FOLDER\n")) {
        return *status;
    }
    const std::string folder = argv[1];
    if (!OutputFolder::make("plist-seeds", folder)) {
        return 1;
    }
    const std::vector<std::pair<const char*, std::string>> seeds = {
        {"every-kind.bplist", everyKind()},
        {"nul-in-key.bplist", HostilePlists::nulInKey()},
        {"nul-in-ascii-key.bplist", nulInAsciiKey()},
        {"shared-arrays.bplist", HostilePlists::sharedExpansion()},
        {"shared-dictionaries.bplist", sharedDictionaries()},
        {"self-reference.bplist", selfReference()},
        {"hidden-nesting.plist", HostilePlists::hiddenNesting(40)},
        {"doctype-nesting.plist", HostilePlists::nestingBehindDoctype()},
        {"attribute-nesting.plist", HostilePlists::nestingBehindAttribute()},
        {"shared-references.bplist", HostilePlists::sharedReferences(300)},
        {"entity-flood.plist", HostilePlists::entityFlood(200)},
    };
    for (const auto& [name, bytes] : seeds) {
        std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "plist-seeds: cannot write %s/%s\n", folder.c_str(), name);
            return 1;
        }
    }
    return 0;
}
