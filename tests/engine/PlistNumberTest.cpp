#include "BinaryPlistWriter.h"
#include "engine/PlistCodec.h"
#include "engine/PlistFileStore.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cfloat>
#include <cmath>
#include <optional>

// A number is refused only where libplist would read another number than its
// text spells. libplist is the reference: the store must take a spelling
// exactly when libplist reads the number spelt, and write back that number.

namespace {

using ZQ::StoreValue;

std::optional<StoreValue::Dictionary> storeReads(const std::string& list) {
    std::string why;
    return ZQ::parsePlistDictionary(list.data(), list.size(), why);
}

std::string oneNumber(const std::string& kind, const std::string& text) {
    return "<plist><dict><key>n</key><" + kind + ">" + text + "</" + kind + "></dict></plist>";
}

// The integer libplist reads in `list` (XML or binary), as libplist writes it.
std::string libplistsInteger(const std::string& list) {
    plist_t root = nullptr;
    plist_from_memory(list.data(), static_cast<uint32_t>(list.size()), &root);
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &xml, &length);
    std::string written = xml != nullptr ? std::string(xml, length) : "";
    plist_to_xml_free(xml);
    plist_free(root);
    const std::size_t start = written.find("<integer>") + 9;
    return start < 9 ? "" : written.substr(start, written.find("</integer>") - start);
}

bool sameReal(double a, double b) {
    return (a == b && std::signbit(a) == std::signbit(b)) || (std::isnan(a) && std::isnan(b));
}

TEST(PlistNumber, ASpellingIsTakenExactlyWhereLibplistReadsTheNumberItSpells) {
    // Each text with the integer it spells; empty where it spells none.
    // clang-format off
    const std::pair<const char*, const char*> integers[] = {
        {" 5 ", "5"}, {"+5", "5"}, {"\t- 5\n", "-5"}, {"-0X1f", "-31"}, {"007", "7"}, {"010", "10"},
        {"5abc", ""}, {"", ""}, {"18446744073709551615", "18446744073709551615"},
        {"18446744073709551616", "18446744073709551616"}, {"-9223372036854775809", "-9223372036854775809"},
    };
    // clang-format on
    for (const auto& [text, spelt] : integers) {
        const auto read = storeReads(oneNumber("integer", text));
        ASSERT_EQ(read.has_value(), libplistsInteger(oneNumber("integer", text)) == spelt)
            << '"' << text << '"';
        if (read) {
            EXPECT_EQ(libplistsInteger(ZQ::writePlistDictionary(*read)), spelt) << text << " written back";
        }
    }
    EXPECT_TRUE(storeReads(oneNumber("integer", " 5 ")) && storeReads(oneNumber("integer", "+5")));

    const std::pair<const char*, std::optional<double>> reals[] = {
        {"inf", INFINITY}, {"-inf", -INFINITY},  {"NaN", NAN},   {".5", 0.5},    {"5.", 5.0},
        {" +1E+3 ", 1e3},  {"2.5e-324", 5e-324}, {"1.5abc", {}}, {"nan(7)", {}}, {"1e999", {}},
    };
    for (const auto& [text, spelt] : reals) {
        const std::string list = oneNumber("real", text);
        plist_t root = nullptr;
        plist_from_xml(list.data(), static_cast<uint32_t>(list.size()), &root);
        double libplists = 0.0;
        plist_get_real_val(plist_dict_get_item(root, "n"), &libplists);
        plist_free(root);
        EXPECT_EQ(storeReads(list).has_value(), spelt && sameReal(libplists, *spelt)) << '"' << text << '"';
    }
    // Every real the store writes reads back as itself.
    const double written[] = {0.1, -2.5e-3, 1e300, 5e-324, 0.0, DBL_MAX, INFINITY, -INFINITY, NAN};
    for (const double value : written) {
        const auto read = storeReads(ZQ::writePlistDictionary({{"n", StoreValue::real(value)}}));
        ASSERT_TRUE(read) << value;
        EXPECT_TRUE(sameReal(*read->at("n").asReal(), value)) << value;
    }

    // Binary sixteen-byte integers: taken within 64 bits (-2^63 here), refused beyond (2^64).
    for (const uint64_t high : {~uint64_t{0}, uint64_t{1}}) {
        BinaryPlistWriter w;
        const auto read =
            storeReads(w.bytes(w.dictionary({{w.ascii("n"), w.wideInteger(high, uint64_t{1} << 63)}})));
        ASSERT_EQ(read.has_value(), high != 1) << high;
        if (read) {
            EXPECT_EQ(libplistsInteger(ZQ::writePlistDictionary(*read)), "-9223372036854775808");
        }
    }
}

// What Python's plistlib wrote (python3's plistlib.dumps), in XML, and in
// binary as its writer lays it out: an integer above INT64_MAX in sixteen
// bytes, a small one in two, the date as seconds since 2001.
const char* const kPythonXml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>big</key>
	<integer>18446744073709551615</integer>
	<key>inf</key>
	<real>inf</real>
	<key>list</key>
	<array>
		<integer>300</integer>
	</array>
	<key>ninf</key>
	<real>-inf</real>
	<key>when</key>
	<date>2020-01-01T12:00:00Z</date>
</dict>
</plist>
)";

// Read whole but for the date, a kind the game does not keep, and kept
// through a write: the file stays as Python wrote it while nothing changes.
TEST(PlistNumber, FilesPythonsPlistlibWritesAreReadWholeAndKeptThroughWrites) {
    BinaryPlistWriter w;
    const std::string binary = w.bytes(w.dictionary({
        {w.ascii("big"), w.wideInteger(0, UINT64_MAX)},
        {w.ascii("inf"), w.real(INFINITY)},
        {w.ascii("list"), w.array({w.narrowInteger(300, 2)})},
        {w.ascii("ninf"), w.real(-INFINITY)},
        {w.ascii("when"), w.date(599572800.0)},
    }));
    StoreValue::Dictionary written = {
        {"big", StoreValue::unsignedInteger(UINT64_MAX)},
        {"inf", StoreValue::real(INFINITY)},
        {"list", StoreValue::array({StoreValue::integer(300)})},
        {"ninf", StoreValue::real(-INFINITY)},
    };
    for (const std::string& file : {std::string(kPythonXml), binary}) {
        TempFolder folder;
        const std::string path = folder.file("store.plist");
        TempFolder::write(path, file);
        testing::internal::CaptureStderr();
        ZQ::PlistFileStore store(path);
        EXPECT_EQ(store.contents(), written);
        store.setObject("big", StoreValue::unsignedInteger(UINT64_MAX));
        ASSERT_TRUE(store.synchronize());
        EXPECT_EQ(TempFolder::read(path), file);
        store.setInteger("least", INT64_MIN);
        ASSERT_TRUE(store.synchronize());
        testing::internal::GetCapturedStderr();
        StoreValue::Dictionary changed = written;
        changed.emplace("least", StoreValue::integer(INT64_MIN));
        EXPECT_EQ(ZQ::PlistFileStore(path).contents(), changed);
    }
}

} // namespace
