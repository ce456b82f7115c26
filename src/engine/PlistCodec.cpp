#include "engine/PlistCodec.h"

#include "engine/BinaryPlistReader.h"
#include "engine/PlistXmlScan.h"

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace ZQ {

namespace {

struct PlistFree {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistNode = std::unique_ptr<void, PlistFree>;

// Whether libplist read `node`, an integer above INT64_MAX as 64 bits, from
// a number spelt without a '-'. libplist 2.2 keeps that only inside the
// node, where no call reads it, but its XML writer shows it: such a number
// is written back as it was spelt, a negative one with its '-'.
bool spelledUnsigned(plist_t node) {
    const PlistNode wrapper(plist_new_array());
    plist_array_append_item(wrapper.get(), plist_copy(node));
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(wrapper.get(), &xml, &length);
    const bool negative =
        xml != nullptr && std::string_view(xml, length).find("<integer>-") != std::string_view::npos;
    plist_to_xml_free(xml);
    return !negative;
}

// An integer node libplist writes as the unsigned `value`: plist_new_uint
// makes one it writes as signed, -1 for UINT64_MAX, so it is read from the
// number spelt out, as a list read in would have it.
plist_t unsignedNode(uint64_t value) {
    const std::string xml = "<plist><integer>" + std::to_string(value) + "</integer></plist>";
    plist_t node = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &node);
    return node;
}

// Reading walks the tree once. A fault that makes the whole list unusable
// (nesting too deep) sets `fatal`; entries of kinds the stores never write
// are only left out and counted.
struct Reader {
    std::string fatal;
    int skipped = 0;

    std::optional<StoreValue> value(plist_t node, int depth);
    std::optional<StoreValue::Dictionary> dictionary(plist_t node, int depth);
};

std::optional<StoreValue::Dictionary> Reader::dictionary(plist_t node, int depth) {
    StoreValue::Dictionary entries;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(node, &it);
    for (;;) {
        char* key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, it, &key, &item);
        if (item == nullptr) {
            std::free(key);
            break;
        }
        std::string name = key != nullptr ? key : "";
        std::free(key);
        std::optional<StoreValue> entry = value(item, depth + 1);
        if (!fatal.empty()) {
            break;
        }
        if (entry) {
            entries.insert_or_assign(std::move(name), std::move(*entry));
        }
    }
    std::free(it);
    if (!fatal.empty()) {
        return std::nullopt;
    }
    return entries;
}

std::optional<StoreValue> Reader::value(plist_t node, int depth) {
    if (depth > kPlistMaxDepth) {
        fatal = "nested deeper than " + std::to_string(kPlistMaxDepth);
        return std::nullopt;
    }
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return StoreValue::boolean(b != 0);
    }
    case PLIST_UINT: {
        // libplist keeps every integer as 64 bits; values written from
        // negative numbers come back as their two's complement.
        uint64_t i = 0;
        plist_get_uint_val(node, &i);
        if (i > static_cast<uint64_t>(INT64_MAX) && spelledUnsigned(node)) {
            return StoreValue::unsignedInteger(i);
        }
        return StoreValue::integer(static_cast<int64_t>(i));
    }
    case PLIST_REAL: {
        double r = 0.0;
        plist_get_real_val(node, &r);
        return StoreValue::real(r);
    }
    case PLIST_STRING: {
        uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        return StoreValue::string(text != nullptr ? std::string(text, length) : std::string());
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        const auto* begin = reinterpret_cast<const uint8_t*>(bytes);
        return StoreValue::data(bytes != nullptr ? StoreValue::Data(begin, begin + length)
                                                 : StoreValue::Data());
    }
    case PLIST_ARRAY: {
        StoreValue::Array items;
        const uint32_t count = plist_array_get_size(node);
        for (uint32_t i = 0; i < count && fatal.empty(); ++i) {
            if (std::optional<StoreValue> item = value(plist_array_get_item(node, i), depth + 1)) {
                items.push_back(std::move(*item));
            }
        }
        if (!fatal.empty()) {
            return std::nullopt;
        }
        return StoreValue::array(std::move(items));
    }
    case PLIST_DICT: {
        std::optional<StoreValue::Dictionary> entries = dictionary(node, depth);
        if (!entries) {
            return std::nullopt;
        }
        return StoreValue::dictionary(std::move(*entries));
    }
    default:
        // Dates, UIDs and keys out of place: nothing the game stores.
        ++skipped;
        return std::nullopt;
    }
}

plist_t toNode(const StoreValue& value) {
    switch (value.kind()) {
    case StoreValue::Kind::Boolean:
        return plist_new_bool(*value.asBoolean() ? 1 : 0);
    case StoreValue::Kind::Integer:
        return plist_new_uint(static_cast<uint64_t>(*value.asInteger()));
    case StoreValue::Kind::Unsigned:
        return unsignedNode(*value.asUnsigned());
    case StoreValue::Kind::Real:
        // libplist writes -0.0 as 0.0: a date stands in for it, to be
        // spelt out by writeEntries, as the stores keep no dates.
        return *value.asReal() == 0.0 && std::signbit(*value.asReal()) ? plist_new_date(0, 0)
                                                                       : plist_new_real(*value.asReal());
    case StoreValue::Kind::String:
        return plist_new_string(value.asString()->c_str());
    case StoreValue::Kind::Data: {
        const StoreValue::Data& bytes = *value.asData();
        return plist_new_data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    case StoreValue::Kind::Array: {
        plist_t node = plist_new_array();
        for (const StoreValue& item : *value.asArray()) {
            plist_array_append_item(node, toNode(item));
        }
        return node;
    }
    case StoreValue::Kind::Dictionary: {
        plist_t node = plist_new_dict();
        for (const auto& [key, item] : *value.asDictionary()) {
            plist_dict_set_item(node, key.c_str(), toNode(item));
        }
        return node;
    }
    }
    return plist_new_bool(0);
}

std::size_t leastTextBytes(const std::string& text) {
    std::size_t bytes = 0;
    for (const char c : std::string_view(text.c_str())) {
        bytes += c == '&' ? 5 : c == '<' || c == '>' ? 4 : 1;
    }
    return bytes;
}

std::size_t leastWrittenBytes(const StoreValue& value) {
    switch (value.kind()) {
    case StoreValue::Kind::String:
        return leastTextBytes(*value.asString());
    case StoreValue::Kind::Data:
        return (value.asData()->size() + 2) / 3 * 4;
    case StoreValue::Kind::Array: {
        std::size_t bytes = 0;
        for (const StoreValue& item : *value.asArray()) {
            bytes += leastWrittenBytes(item);
        }
        return bytes;
    }
    case StoreValue::Kind::Dictionary:
        return plistLeastWrittenBytes(*value.asDictionary());
    default:
        return 0;
    }
}

} // namespace

std::size_t plistLeastWrittenBytes(const StoreValue::Dictionary& dictionary) {
    std::size_t bytes = 0;
    for (const auto& [key, item] : dictionary) {
        bytes += leastTextBytes(key) + leastWrittenBytes(item);
    }
    return bytes;
}

std::optional<StoreValue::Dictionary> parsePlistDictionary(const char* bytes, std::size_t size,
                                                           std::string& why) {
    why.clear();
    if (size == 0) {
        why = "empty file";
        return std::nullopt;
    }
    if (size > kPlistMaxBytes) {
        why = "larger than " + std::to_string(kPlistMaxBytes) + " bytes";
        return std::nullopt;
    }
    const auto unsupported = [](int skipped) {
        return std::to_string(skipped) + (skipped == 1 ? " entry" : " entries") +
               " of a kind the game does not keep (a date, UID, null or set) left out";
    };
    if (isBinaryPlist(bytes, size)) {
        BinaryPlist list = readBinaryPlist(bytes, size);
        why = list.root && list.skipped > 0 ? unsupported(list.skipped) : list.why;
        return std::move(list.root);
    }
    why = scanPlistXml(std::string_view(bytes, size)).fault;
    if (!why.empty()) {
        return std::nullopt;
    }
    plist_t root = nullptr;
    plist_from_xml(bytes, static_cast<uint32_t>(size), &root);
    const PlistNode owner(root);
    if (root == nullptr) {
        why = "not a property list";
        return std::nullopt;
    }
    if (plist_get_node_type(root) != PLIST_DICT) {
        why = "the root is not a dictionary";
        return std::nullopt;
    }
    Reader reader;
    std::optional<StoreValue::Dictionary> entries = reader.dictionary(root, 0);
    if (!entries) {
        why = reader.fatal;
    } else if (reader.skipped > 0) {
        why = unsupported(reader.skipped);
    }
    return entries;
}

std::string plistSizeFault(const std::string& xml) {
    if (xml.size() > kPlistMaxBytes) {
        return "larger than " + std::to_string(kPlistMaxBytes) + " bytes";
    }
    return scanPlistXml(xml).fault;
}

namespace {

// The XML list of the entries of `dictionary` for which `take` holds.
template <class Take> std::string writeEntries(const StoreValue::Dictionary& dictionary, Take take) {
    plist_t root = plist_new_dict();
    const PlistNode owner(root);
    for (const auto& [key, item] : dictionary) {
        if (take(key)) {
            plist_dict_set_item(root, key.c_str(), toNode(item));
        }
    }
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &xml, &length);
    std::string text = xml != nullptr ? std::string(xml, length) : std::string();
    plist_to_xml_free(xml);
    static constexpr std::string_view kNegativeZeroStandIn = "<date>2001-01-01T00:00:00Z</date>";
    for (std::size_t at = 0; (at = text.find(kNegativeZeroStandIn, at)) != std::string::npos;) {
        text.replace(at, kNegativeZeroStandIn.size(), "<real>-0.0</real>");
    }
    return text;
}

// What `xml`, a list written by writeEntries, takes; `fault` when the scan
// refuses it.
PlistMeasure measureWritten(const std::string& xml, std::string& fault) {
    const PlistXmlShape shape = scanPlistXml(xml);
    fault = shape.fault;
    return {shape.values, xml.size(), shape.entityWork};
}

// An empty root dictionary as written: what every entry measured alone
// carries besides itself.
const PlistMeasure& emptyListMeasure() {
    static const PlistMeasure empty = [] {
        std::string fault;
        return measureWritten(writePlistDictionary({}), fault);
    }();
    return empty;
}

PlistMeasure entryMeasure(const std::string& key, const StoreValue& value, std::string& fault) {
    const StoreValue::Dictionary alone = {{key, value}};
    PlistMeasure measure = measureWritten(writePlistDictionary(alone), fault);
    // An empty dictionary is written as "<dict/>", one with entries between
    // "<dict>" and "</dict>": the difference counts once in each entry,
    // so entries measured alone add up to a little more than written together.
    measure.values -= emptyListMeasure().values;
    measure.bytes -= std::min(measure.bytes, emptyListMeasure().bytes);
    return measure;
}

void takeLarger(PlistMeasure& total, const PlistMeasure& a, const PlistMeasure& b) {
    total.values += std::max(a.values, b.values);
    total.bytes += std::max(a.bytes, b.bytes);
    total.entityWork += std::max(a.entityWork, b.entityWork);
}

} // namespace

PlistMeasure plistEntryMeasure(const std::string& key, const StoreValue& value) {
    std::string fault;
    return entryMeasure(key, value, fault);
}

PlistRoom plistRoomOf(const StoreValue::Dictionary& widest) {
    PlistRoom room;
    for (const auto& [key, value] : widest) {
        room.emplace(key, plistEntryMeasure(key, value));
    }
    return room;
}

std::string plistRoomFault(const StoreValue::Dictionary& dictionary, const PlistRoom& room) {
    const std::string once = " once written back";
    const std::string atLargest = " once written back with the game's own keys at their largest";
    const std::string tooLarge = "larger than " + std::to_string(kPlistMaxBytes) + " bytes";
    if (plistLeastWrittenBytes(dictionary) > kPlistMaxBytes) {
        return tooLarge + once;
    }
    // The root holds the game's keys once it wrote them all.
    const std::size_t keys =
        room.size() +
        static_cast<std::size_t>(std::count_if(dictionary.begin(), dictionary.end(), [&](const auto& entry) {
            return !room.contains(entry.first);
        }));
    if (keys > kPlistMaxDictionaryKeys) {
        return "a dictionary of more than " + std::to_string(kPlistMaxDictionaryKeys) + " keys" + atLargest;
    }
    std::string fault;
    const std::string others =
        writeEntries(dictionary, [&](const std::string& key) { return room.find(key) == room.end(); });
    PlistMeasure total = measureWritten(others, fault);
    if (!fault.empty()) {
        return fault + once;
    }
    for (const auto& [key, most] : room) {
        PlistMeasure held;
        if (const auto found = dictionary.find(key); found != dictionary.end()) {
            held = entryMeasure(key, found->second, fault);
            if (!fault.empty()) {
                return fault + once;
            }
        }
        takeLarger(total, held, most);
    }
    if (total.values > kPlistMaxValues) {
        return "more than " + std::to_string(kPlistMaxValues) + " values" + atLargest;
    }
    if (total.bytes > kPlistMaxBytes) {
        return tooLarge + atLargest;
    }
    if (total.entityWork > kPlistMaxEntityWork) {
        return "more entity references than the reader takes" + atLargest;
    }
    return {};
}

std::string writePlistDictionary(const StoreValue::Dictionary& dictionary) {
    return writeEntries(dictionary, [](const std::string&) { return true; });
}

} // namespace ZQ
