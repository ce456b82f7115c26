#include "BinaryPlistWriter.h"
#include "engine/PlistCodec.h"
#include "engine/PlistFileStore.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

// A store refuses a number only where libplist would read something other
// than what its text spells: each spelling below is read by libplist itself,
// and the store must take it exactly when libplist reads the number spelt,
// and then hold that number and write it back.

namespace {

using ZQ::StoreValue;

std::string numberList(const std::string& kind, const std::string& text) {
    return "<plist><dict><key>n</key><" + kind + ">" + text + "</" + kind + "></dict></plist>";
}

// The text libplist writes back for the integer it read from `text`.
std::string libplistInteger(const std::string& text) {
    const std::string xml = numberList("integer", text);
    plist_t root = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
    if (root == nullptr) {
        return "(no list)";
    }
    char* out = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &out, &length);
    const std::string written(out, length);
    plist_to_xml_free(out);
    plist_free(root);
    const std::size_t start = written.find("<integer>") + 9;
    return written.substr(start, written.find("</integer>") - start);
}

std::optional<double> libplistReal(const std::string& text) {
    const std::string xml = numberList("real", text);
    plist_t root = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
    if (root == nullptr) {
        return std::nullopt;
    }
    double value = 0.0;
    plist_get_real_val(plist_dict_get_item(root, "n"), &value);
    plist_free(root);
    return value;
}

bool sameReal(double a, double b) {
    return (a == b && std::signbit(a) == std::signbit(b)) || (std::isnan(a) && std::isnan(b));
}

// The number under "n" of `list` as the file the store writes holds it:
// the store's XML, read and written back by libplist.
std::string writtenBack(const StoreValue::Dictionary& list) {
    const std::string xml = ZQ::writePlistDictionary(list);
    const std::size_t start = xml.find("<integer>") + 9;
    return libplistInteger(xml.substr(start, xml.find("</integer>") - start));
}

bool takes(const std::string& kind, const std::string& text) {
    std::string why;
    const std::string xml = numberList(kind, text);
    return ZQ::parsePlistDictionary(xml.data(), xml.size(), why).has_value();
}

TEST(PlistNumber, AnIntegerIsTakenExactlyWhereLibplistReadsTheNumberItsTextSpells) {
    // Each text with the number it spells, in decimal; empty where it spells
    // none.
    const std::pair<const char*, const char*> spellings[] = {
        {" 5 ", "5"},
        {"+5", "5"},
        {"\t-5\n", "-5"},
        {"- 5", "-5"},
        {"+0x10", "16"},
        {"-0X1f", "-31"},
        {"007", "7"},
        {"-0", "0"},
        {"-9223372036854775808", "-9223372036854775808"},
        {"18446744073709551615", "18446744073709551615"},
        {"0x8000000000000000", "9223372036854775808"},
        {"010", "10"},
        {"08", "8"},
        {"18446744073709551616", "18446744073709551616"},
        {"-9223372036854775809", "-9223372036854775809"},
        {"5abc", ""},
        {"5 6", ""},
        {"+-5", ""},
        {"1e3", ""},
        {"0x", ""},
        {"", ""},
    };
    for (const auto& [text, spelt] : spellings) {
        const bool exact = libplistInteger(text) == spelt;
        std::string why;
        const std::string xml = numberList("integer", text);
        const auto list = ZQ::parsePlistDictionary(xml.data(), xml.size(), why);
        ASSERT_EQ(list.has_value(), exact) << "\"" << text << "\": " << why;
        if (list) {
            EXPECT_EQ(writtenBack(*list), spelt) << text;
        }
    }
    // White space around the number and a '+' read exactly.
    EXPECT_TRUE(takes("integer", " 5 ") && takes("integer", "+5"));
}

TEST(PlistNumber, ARealIsTakenExactlyWhereLibplistReadsTheNumberItsTextSpells) {
    const std::pair<const char*, std::optional<double>> spellings[] = {
        {"inf", INFINITY},
        {"-inf", -INFINITY},
        {"infinity", INFINITY},
        {"+infinity", INFINITY},
        {"Infinity", INFINITY},
        {"nan", NAN},
        {".5", 0.5},
        {"5.", 5.0},
        {" -1.5 ", -1.5},
        {"+1E+3", 1000.0},
        {"0x1p3", 8.0},
        {"1.7976931348623157e308", DBL_MAX},
        {"2.5e-324", 2.5e-324}, // the least double, as near as one comes
        {"1.5abc", std::nullopt},
        {"1e", std::nullopt},
        {"1,5", std::nullopt},
        {"- 5", std::nullopt},
        {"nan(7)", std::nullopt}, // its payload is not kept
        {"", std::nullopt},
        {"1e999", std::nullopt},  // beyond a double
        {"1e-999", std::nullopt}, // below the least
    };
    for (const auto& [text, spelt] : spellings) {
        const std::optional<double> read = libplistReal(text);
        const bool exact = spelt && read && sameReal(*read, *spelt);
        std::string why;
        const std::string xml = numberList("real", text);
        const auto list = ZQ::parsePlistDictionary(xml.data(), xml.size(), why);
        ASSERT_EQ(list.has_value(), exact) << "\"" << text << "\": " << why;
        if (list) {
            const auto again = ZQ::parsePlistDictionary(ZQ::writePlistDictionary(*list).data(),
                                                        ZQ::writePlistDictionary(*list).size(), why);
            ASSERT_TRUE(again) << why;
            EXPECT_TRUE(sameReal(*list->at("n").asReal(), *spelt)) << text;
            EXPECT_EQ(again->at("n"), list->at("n")) << text << " written back";
        }
    }
    // Python's plistlib writes infinities so.
    for (const char* text : {"inf", "-inf", "infinity", ".5", "5."}) {
        EXPECT_TRUE(takes("real", text)) << text;
    }
    // Every real the store writes reads back as itself, the least of them,
    // zero and those without digits included.
    const double written[] = {0.1, -2.5e-3, 1e300, 5e-324, 0.0, 1e22, INFINITY, -INFINITY, NAN};
    for (const double value : written) {
        const std::string xml = ZQ::writePlistDictionary({{"n", StoreValue::real(value)}});
        std::string why;
        const auto list = ZQ::parsePlistDictionary(xml.data(), xml.size(), why);
        ASSERT_TRUE(list) << value << ": " << why;
        EXPECT_TRUE(sameReal(*list->at("n").asReal(), value)) << value;
    }
}

TEST(PlistNumber, BinaryIntegersOfEveryWidthAreTakenWithin64BitsAndKeptThroughAWrite) {
    const struct {
        uint64_t high;
        uint64_t low;
        std::optional<StoreValue> value;
    } wide[] = {
        {0, 5, StoreValue::integer(5)},
        {0, UINT64_MAX, StoreValue::unsignedInteger(UINT64_MAX)},
        {0, uint64_t{1} << 63, StoreValue::unsignedInteger(uint64_t{1} << 63)},
        {~uint64_t{0}, static_cast<uint64_t>(INT64_MIN), StoreValue::integer(INT64_MIN)},
        {~uint64_t{0}, 5, std::nullopt}, // -2^64 + 5
        {1, 0, std::nullopt},            // 2^64
    };
    for (const auto& [high, low, value] : wide) {
        BinaryPlistWriter writer;
        const std::string binary =
            writer.bytes(writer.dictionary({{writer.ascii("n"), writer.wideInteger(high, low)}}));
        std::string why;
        const auto list = ZQ::parsePlistDictionary(binary.data(), binary.size(), why);
        ASSERT_EQ(list.has_value(), value.has_value()) << high << " " << low << ": " << why;
        if (!list) {
            EXPECT_NE(why.find("beyond 64 bits"), std::string::npos) << why;
            continue;
        }
        EXPECT_EQ(list->at("n"), *value);
        // Written back as XML and read again, by the store and by libplist.
        const std::string xml = ZQ::writePlistDictionary(*list);
        EXPECT_EQ(ZQ::parsePlistDictionary(xml.data(), xml.size(), why), list) << why;
        const std::string spelt = value->asUnsigned() != nullptr ? std::to_string(*value->asUnsigned())
                                                                 : std::to_string(*value->asInteger());
        EXPECT_EQ(writtenBack(*list), spelt);
    }
}

// What Python's plistlib wrote (python3 -c 'plistlib.dumps(...)') for a
// dictionary of every kind it writes, the numbers at their edges.
const char* const kPythonXml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>big</key>
	<integer>18446744073709551615</integer>
	<key>big63</key>
	<integer>9223372036854775808</integer>
	<key>bytes</key>
	<data>
	AAMGCQwPEhUYGx4hJCcqLTAzNjk=
	</data>
	<key>huge</key>
	<real>1e+300</real>
	<key>inf</key>
	<real>inf</real>
	<key>least</key>
	<integer>-9223372036854775808</integer>
	<key>nan</key>
	<real>nan</real>
	<key>nested</key>
	<dict>
		<key>list</key>
		<array>
			<integer>1</integer>
			<integer>300</integer>
			<integer>70000</integer>
			<integer>5000000000</integer>
			<real>2.5</real>
			<dict>
				<key>yes</key>
				<true/>
			</dict>
		</array>
		<key>text</key>
		<string>café &lt;&amp;&gt;</string>
	</dict>
	<key>ninf</key>
	<real>-inf</real>
	<key>small</key>
	<integer>5</integer>
	<key>tenth</key>
	<real>0.1</real>
	<key>when</key>
	<date>2020-01-01T12:00:00Z</date>
</dict>
</plist>
)";

// The same dictionary as plistlib writes it in binary: integers in the
// fewest of 1, 2, 4 and 8 bytes, 16 above INT64_MAX, 8 for a negative one,
// text beyond ASCII in UTF-16, the date as seconds since 2001.
std::string pythonBinary() {
    BinaryPlistWriter w;
    const BinaryPlistWriter::Ref nested = w.dictionary(
        {{w.ascii("list"),
          w.array({w.narrowInteger(1, 1), w.narrowInteger(300, 2), w.narrowInteger(70000, 4),
                   w.integer(5000000000), w.real(2.5), w.dictionary({{w.ascii("yes"), w.boolean(true)}})})},
         {w.ascii("text"), w.utf16(u"caf\u00e9 <&>")}});
    std::string bytes;
    for (int i = 0; i < 60; i += 3) {
        bytes.push_back(static_cast<char>(i));
    }
    return w.bytes(w.dictionary({
        {w.ascii("big"), w.wideInteger(0, UINT64_MAX)},
        {w.ascii("big63"), w.wideInteger(0, uint64_t{1} << 63)},
        {w.ascii("bytes"), w.data(bytes)},
        {w.ascii("huge"), w.real(1e300)},
        {w.ascii("inf"), w.real(INFINITY)},
        {w.ascii("least"), w.integer(INT64_MIN)},
        {w.ascii("nan"), w.real(NAN)},
        {w.ascii("nested"), nested},
        {w.ascii("ninf"), w.real(-INFINITY)},
        {w.ascii("small"), w.narrowInteger(5, 1)},
        {w.ascii("tenth"), w.real(0.1)},
        {w.ascii("when"), w.date(599572800.0)},
    }));
}

TEST(PlistNumber, FilesPythonsPlistlibWritesAreReadWholeAndKeptThroughAWrite) {
    StoreValue::Data bytes;
    for (int i = 0; i < 60; i += 3) {
        bytes.push_back(static_cast<uint8_t>(i));
    }
    StoreValue::Dictionary nested;
    nested.emplace("list", StoreValue::array({StoreValue::integer(1), StoreValue::integer(300),
                                              StoreValue::integer(70000), StoreValue::integer(5000000000),
                                              StoreValue::real(2.5),
                                              StoreValue::dictionary({{"yes", StoreValue::boolean(true)}})}));
    nested.emplace("text", StoreValue::string("caf\xc3\xa9 <&>"));
    const StoreValue::Dictionary written = {
        {"big", StoreValue::unsignedInteger(UINT64_MAX)},
        {"big63", StoreValue::unsignedInteger(uint64_t{1} << 63)},
        {"bytes", StoreValue::data(bytes)},
        {"huge", StoreValue::real(1e300)},
        {"inf", StoreValue::real(INFINITY)},
        {"least", StoreValue::integer(INT64_MIN)},
        {"nan", StoreValue::real(NAN)},
        {"nested", StoreValue::dictionary(nested)},
        {"ninf", StoreValue::real(-INFINITY)},
        {"small", StoreValue::integer(5)},
        {"tenth", StoreValue::real(0.1)},
    };
    for (const std::string& file : {std::string(kPythonXml), pythonBinary()}) {
        TempFolder folder;
        ASSERT_TRUE(folder.ok());
        const std::string path = folder.file("store.plist");
        TempFolder::write(path, file);
        testing::internal::CaptureStderr();
        ZQ::PlistFileStore store(path);
        const std::string log = testing::internal::GetCapturedStderr();
        // The date, a kind the game does not keep, is named and left out.
        EXPECT_NE(log.find("1 entry of a kind the game does not keep"), std::string::npos) << log;
        EXPECT_EQ(store.contents(), written);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"store.plist"});
        // Nothing changed: the file, date and all, stays as Python wrote it.
        store.setInteger("small", 5);
        ASSERT_TRUE(store.synchronize());
        EXPECT_EQ(TempFolder::read(path), file);
        store.setInteger("small", 6);
        ASSERT_TRUE(store.synchronize());
        StoreValue::Dictionary changed = written;
        changed.insert_or_assign("small", StoreValue::integer(6));
        EXPECT_EQ(ZQ::PlistFileStore(path).contents(), changed);
    }
}

} // namespace
