#include "engine/PlistXmlScan.h"
#include "HostilePlists.h"
#include "engine/PlistCodec.h"
#include "support/LibplistTree.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace std::literals;
using ZQ::StoreValue;

TEST(PlistXmlScan, TakesTheGamesListsAndHandMendedOnesAndCountsWhatLibplistBuilds) {
    StoreValue::Dictionary written;
    written.emplace("text", StoreValue::string("a<b & c>d \"quoted\" 'too'"));
    written.emplace("list", StoreValue::array({StoreValue::integer(-3), StoreValue::array({}),
                                               StoreValue::dictionary({}), StoreValue::data({0, 1, 2})}));
    written.emplace("yes", StoreValue::boolean(true));
    const std::string taken[] = {
        ZQ::writePlistDictionary(written),
        // Mended by hand: comments, single quotes, white space inside tags,
        // a true written out in full, no declaration.
        "<plist version='1.0'>\n<!-- mended by hand -->\n<dict>\n\t<key>a</key> <true></true>\n"
        "\t<key >b</key >\n\t<array ><integer>1</integer><array/><dict /></array>\n</dict>\n</plist>\n"
        "<!-- end -->\n",
        // No <plist> element around the root.
        "<dict><key>k</key><string>a&lt;b &amp; c&gt;d</string></dict>",
        "<?xml version=\"1.0\"?>\n<!DOCTYPE plist PUBLIC '-//x//DTD PLIST 1.0//EN' \"http://x/y.dtd\">\n"
        "<plist><dict><key>n</key><array><array><array><integer>3</integer></array></array></array>"
        "</dict></plist>",
    };
    for (const std::string& xml : taken) {
        const ZQ::PlistXmlShape shape = ZQ::scanPlistXml(xml);
        ASSERT_EQ(shape.fault, "") << xml;
        const std::optional<LibplistTree> tree = libplistTree(xml.data(), xml.size());
        ASSERT_TRUE(tree) << xml;
        EXPECT_EQ(shape.values, tree->values) << xml;
        EXPECT_EQ(shape.depth, tree->depth) << xml;
    }
    std::string why;
    EXPECT_EQ(ZQ::parsePlistDictionary(taken[0].data(), taken[0].size(), why), written) << why;
    const auto mended = ZQ::parsePlistDictionary(taken[1].data(), taken[1].size(), why);
    ASSERT_TRUE(mended) << why;
    EXPECT_EQ(mended->at("b").asArray()->size(), 3u);
    const auto escaped = ZQ::parsePlistDictionary(taken[2].data(), taken[2].size(), why);
    ASSERT_TRUE(escaped) << why;
    EXPECT_EQ(*escaped->at("k").asString(), "a<b & c>d");
}

TEST(PlistXmlScan, RefusesMarkupThatCouldBeReadTwoWays) {
    const std::pair<std::string, const char*> refused[] = {
        // libplist follows the quotes: an open array, not an empty element.
        {"<plist><dict><key>k</key><array a=\"/>\"><true/></array></dict></plist>", "attribute"},
        {"<plist><dict a='\"'><key>k</key><true/></dict></plist>", "attribute"},
        {"<plist><dict><key>k</key><array b=c><true/></array></dict></plist>", "malformed"},
        {"<plist><dict><!-- <key>old</key><true/> --><key>k</key><true/></dict></plist>", "comment"},
        {"<plist><dict><!-- a -- b --><key>k</key><true/></dict></plist>", "comment"},
        {"<plist><dict><key>k</key><string><![CDATA[x]]></string></dict></plist>", "never writes"},
        {"<?xml version=\"1.0\"?><?style x?><plist><dict/></plist>", "never writes"},
        {"<!DOCTYPE plist [ <!ENTITY e \"x\"> ]><plist><dict/></plist>", "document type"},
        {"<!DOCTYPE plist \"x>\"><plist><dict/></plist>", "document type"},
        {"<!DOCTYPE plist 'x\"y'><plist><dict/></plist>", "document type"},
        {"<plist><dict><key>k</key><array><true/></dict></array></plist>", "does not match"},
        // libplist makes an array of several values in <plist>, or at the top.
        {"<plist><array/><array/></plist>", "more than one value"},
        {"<array/><array/>", "more than one root"},
        {"junk<plist><dict/></plist>", "outside the root"},
        {"<plist><dict><key>k\0l</key><true/></dict></plist>"s, "NUL"},
        {"<plist><dict><key>k</key><true/></dict>", "never closed"},
    };
    for (const auto& [xml, fault] : refused) {
        const ZQ::PlistXmlShape shape = ZQ::scanPlistXml(xml);
        EXPECT_NE(shape.fault.find(fault), std::string::npos) << xml << ": " << shape.fault;
        std::string why;
        EXPECT_FALSE(ZQ::parsePlistDictionary(xml.data(), xml.size(), why)) << xml;
    }
}

TEST(PlistXmlScan, HostileListsAreRefusedBeforeLibplistSeesThemAndTheReferenceCapIsExact) {
    std::string why;
    // Nesting libplist would free by a recursion that overflows the stack,
    // and references it would take minutes over.
    const std::string hidden = HostilePlists::hiddenNesting();
    EXPECT_FALSE(ZQ::parsePlistDictionary(hidden.data(), hidden.size(), why));
    EXPECT_NE(why.find("attribute"), std::string::npos) << why;
    const std::string flood = HostilePlists::entityFlood();
    EXPECT_FALSE(ZQ::parsePlistDictionary(flood.data(), flood.size(), why));
    EXPECT_NE(why.find("entity references"), std::string::npos) << why;

    // 1,024 references in a text as long as the cap allows, and one byte longer.
    const std::size_t references = 1024;
    const std::size_t length = ZQ::kPlistMaxEntityWork / references;
    for (const std::size_t extra : {0, 1}) {
        std::string text;
        for (std::size_t i = 0; i < references; ++i) {
            text += "&amp;";
        }
        text.append(length + extra - text.size(), 'x');
        const std::string xml = "<plist><dict><key>k</key><string>" + text + "</string></dict></plist>";
        const std::optional<StoreValue::Dictionary> parsed =
            ZQ::parsePlistDictionary(xml.data(), xml.size(), why);
        ASSERT_EQ(parsed.has_value(), extra == 0) << why;
        if (parsed) {
            const std::string& read = *parsed->at("k").asString();
            EXPECT_EQ(read.size(), references + length - 5 * references);
            EXPECT_EQ(std::count(read.begin(), read.end(), '&'), static_cast<std::ptrdiff_t>(references));
        }
    }
}

} // namespace
