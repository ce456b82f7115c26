#pragma once

#include <cstddef>
#include <string>

// Property lists made as an attacker would make them, to be dropped into a
// data folder in place of a store: the binary ones are a few hundred bytes
// or less, and all are well-formed lists in every other respect.
namespace HostilePlists {

// A dictionary of a game mode and a flag whose second key holds a NUL
// between its letters (UTF-16, as the key of a text in another script is
// written).
std::string nulInKey();

// A dictionary whose one value is an array of `fanout` references to one
// array of `fanout` references, and so on `levels` deep, ending in one
// integer: fanout^levels values once every reference is followed, from
// about levels x (fanout + 2) bytes. The defaults make 4^15, a little over
// a billion, at a nesting of 16.
std::string sharedExpansion(int levels = 15, int fanout = 4);

// An XML list whose one value is `levels` arrays nested in each other, each
// start tag carrying an attribute whose value ends in "/>": to a scan that
// ends a tag at its first '>' every one is an empty element. The defaults
// are about 4.4 MB, deep enough to overflow the stack where libplist frees
// its tree.
std::string hiddenNesting(int levels = 200000);

// XML lists whose one value is `levels` arrays nested in each other behind
// markup that a scan not reading quotes takes otherwise than libplist:
// after a document type whose quoted identifier holds a '[' (the scan
// skips to the end of an internal subset that never comes), or inside a
// <plist> whose attribute value holds "><!--" (the scan ends the tag there
// and reads the rest as a comment). The defaults nest deeper than the
// stores take, in a few hundred bytes.
std::string nestingBehindDoctype(int levels = 40);
std::string nestingBehindAttribute(int levels = 40);

// A dictionary of a preference beside an array of `count` integers, as
// binary references to one integer (a few dozen kilobytes standing for as
// many values) or written out in XML.
std::string sharedReferences(std::size_t count);
std::string integersInXml(std::size_t count);

// An XML list whose one value is a string of `references` entity
// references ("&amp;"): libplist moves the rest of the text up for each, so
// the default, about 16 MB, takes it minutes to parse.
std::string entityFlood(std::size_t references = (16u << 20) / 5 - 20);

} // namespace HostilePlists
