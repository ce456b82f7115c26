#include "CaptionSource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Parses `text` from a temporary file.
bool parse(const std::string& text, CaptionSource::Node& out, std::string& error) {
    std::string pattern = testing::TempDir() + "velmora-caption-source-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot make " << pattern;
    }
    const std::string folder = pattern;
    const std::string path = folder + "/en.yaml";
    std::ofstream(path) << text;
    const bool ok = CaptionSource::parseFile(path, out, error);
    std::filesystem::remove_all(folder);
    return ok;
}

TEST(CaptionSourceTest, ReadsGroupsValuesAndKeepsBackslashN) {
    CaptionSource::Node root;
    std::string error;
    ASSERT_TRUE(parse("# a comment\n"
                      "attributes:\n"
                      "  width: 48      # points\n"
                      "  size: 16.5\n"
                      "  descent: false\n"
                      "  fillcolor: [1, 0.5, 0, 1]\n"
                      "  font: DejaVuSans-Bold\n"
                      "story:\n"
                      "  1: \"Two\\nlines, \\\"quoted\\\" # not a comment\"\n"
                      "\"0..2\": \"{n}!\"\n",
                      root, error))
        << error;
    using Kind = CaptionSource::Node::Kind;
    CaptionSource::Node* attributes = root.find("attributes");
    ASSERT_NE(attributes, nullptr);
    EXPECT_EQ(attributes->find("width")->kind, Kind::Integer);
    EXPECT_EQ(attributes->find("size")->number, 16.5);
    EXPECT_EQ(attributes->find("descent")->kind, Kind::Boolean);
    EXPECT_EQ(attributes->find("fillcolor")->list, (std::vector<double>{1, 0.5, 0, 1}));
    EXPECT_EQ(attributes->find("font")->text, "DejaVuSans-Bold");
    EXPECT_EQ(root.find("story")->find("1")->text, "Two\\nlines, \"quoted\" # not a comment");

    ASSERT_TRUE(CaptionSource::expandRanges(root, error)) << error;
    ASSERT_NE(root.find("2"), nullptr);
    EXPECT_EQ(root.find("2")->text, "2!");
    EXPECT_EQ(root.find("0..2"), nullptr);
    EXPECT_EQ(root.children.size(), 5u);
}

TEST(CaptionSourceTest, LanguageLaysItsTextsOverTheLayout) {
    CaptionSource::Node layout, language;
    std::string error;
    ASSERT_TRUE(
        parse("tips:\n  attributes:\n    size: 16\n    font: DejaVuSans\n  extra: \"x\"\n", layout, error));
    ASSERT_TRUE(parse("tips:\n  attributes:\n    font: VL-Gothic\n  1: \"ひとつ\"\n", language, error));
    CaptionSource::merge(layout, language);
    CaptionSource::Node* tips = layout.find("tips");
    EXPECT_EQ(tips->find("attributes")->find("size")->number, 16.0);
    EXPECT_EQ(tips->find("attributes")->find("font")->text, "VL-Gothic");
    EXPECT_EQ(tips->find("1")->text, "ひとつ");
    EXPECT_EQ(tips->find("extra")->text, "x");
}

TEST(CaptionSourceTest, BadInputNamesTheLine) {
    CaptionSource::Node root;
    std::string error;
    EXPECT_FALSE(parse("a:\n  b: 1\n c: 2\n", root, error));
    EXPECT_NE(error.find(":3:"), std::string::npos) << error;
    EXPECT_FALSE(parse("a: 1\na: 2\n", root, error));
    EXPECT_NE(error.find("given twice"), std::string::npos) << error;
    EXPECT_FALSE(parse("a: [1, x]\n", root, error));
    EXPECT_NE(error.find(":1:"), std::string::npos) << error;
    EXPECT_FALSE(parse("just words\n", root, error));
    EXPECT_FALSE(parse("a:\nb: 1\n", root, error));
    EXPECT_NE(error.find("indented"), std::string::npos) << error;
}

} // namespace
