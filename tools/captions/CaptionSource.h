#pragma once

#include <string>
#include <vector>

// The readable source of the captions list: an indented "key: value" tree
// (a small YAML subset). A value is a "quoted text" (only \" is an escape,
// so \n stays the two characters the game reads as a line break), a number,
// true or false, a [list, of, numbers] or a bare word; a key with nothing
// after the colon opens a group of the lines indented below it. # starts a
// comment outside quotes.
namespace CaptionSource {

struct Node {
    enum class Kind { Group, Text, Integer, Real, Boolean, List };

    std::string key; // its name in the group that holds it
    Kind kind = Kind::Group;
    std::string text;
    double number = 0.0;
    std::vector<double> list;
    std::vector<Node> children; // a group's entries, in file order

    Node* find(const std::string& key);
};

// Parses `path`; false with a message naming the file and line on bad input.
bool parseFile(const std::string& path, Node& out, std::string& error);

// Lays `over` onto `base`: groups merge key by key, anything else replaces.
void merge(Node& base, const Node& over);

// Keys "A..B" become one entry per number from A to B, "{n}" in the text
// replaced by the number.
bool expandRanges(Node& node, std::string& error);

} // namespace CaptionSource
