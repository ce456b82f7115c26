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

namespace {

std::string nestedArrays(std::string head, int levels) {
    head += "<dict><key>zr_state</key>";
    for (int level = 0; level < levels; ++level) {
        head += "<array>";
    }
    for (int level = 0; level < levels; ++level) {
        head += "</array>";
    }
    return head + "</dict></plist>";
}

} // namespace

std::string nestingBehindDoctype(int levels) {
    return nestedArrays("<?xml version=\"1.0\"?><!DOCTYPE plist \"[\"><plist>", levels);
}

std::string nestingBehindAttribute(int levels) {
    return nestedArrays("<plist a=\"><!--\">", levels);
}

std::string sharedReferences(std::size_t count) {
    BinaryPlistWriter list;
    const auto one = list.integer(1);
    const auto shared = list.array(std::vector<BinaryPlistWriter::Ref>(count, one));
    return list.bytes(list.dictionary(
        {{list.ascii("zr_disable_shadow"), list.boolean(false)}, {list.ascii("zz_values"), shared}}));
}

std::string integersInXml(std::size_t count) {
    std::string xml = "<plist><dict><key>zr_disable_shadow</key><false/><key>zz_shared</key><array>";
    for (std::size_t i = 0; i < count; ++i) {
        xml += "<integer>1</integer>";
    }
    return xml + "</array></dict></plist>";
}

std::string entityFlood(std::size_t references) {
    std::string xml = "<plist><dict><key>zr_state</key><string>";
    for (std::size_t i = 0; i < references; ++i) {
        xml += "&amp;";
    }
    return xml + "</string></dict></plist>";
}

} // namespace HostilePlists