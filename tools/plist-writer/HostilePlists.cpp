#include "HostilePlists.h"

#include "BinaryPlistWriter.h"

#include <string_view>
#include <vector>

using namespace std::literals;

namespace HostilePlists {

std::string nulInKey() {
    BinaryPlistWriter list;
    const auto mode = list.ascii("zr_gamemode");
    const auto zen = list.integer(1);
    const auto key = list.utf16(u"zr_tutorial\0completed"sv);
    const auto yes = list.boolean(true);
    return list.bytes(list.dictionary({{mode, zen}, {key, yes}}));
}

std::string sharedExpansion(int levels, int fanout) {
    BinaryPlistWriter list;
    auto below = list.integer(7);
    for (int level = 0; level < levels; ++level) {
        below = list.array(std::vector<BinaryPlistWriter::Ref>(static_cast<std::size_t>(fanout), below));
    }
    return list.bytes(list.dictionary({{list.ascii("zr_state"), below}}));
}

std::string hiddenNesting(int levels) {
    std::string xml = "<plist><dict><key>zr_state</key>";
    for (int level = 0; level < levels; ++level) {
        xml += "<array a=\"/>\">";
    }
    for (int level = 0; level < levels; ++level) {
        xml += "</array>";
    }
    return xml + "</dict></plist>";
}

std::string entityFlood(std::size_t references) {
    std::string xml = "<plist><dict><key>zr_state</key><string>";
    for (std::size_t i = 0; i < references; ++i) {
        xml += "&amp;";
    }
    return xml + "</string></dict></plist>";
}

} // namespace HostilePlists