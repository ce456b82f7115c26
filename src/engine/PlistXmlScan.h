#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ZQ {

// The markup of an XML property list, checked before libplist 2.2 parses
// it. Its parser builds a tree however deeply it nests, frees it by
// recursion (a file nested some hundred thousand levels deep overflows the
// stack), and moves the rest of a text up for every entity reference it
// decodes (a string of sixteen megabytes of "&amp;" takes minutes). Its
// tags also end where its own rules say, which a looser scan could not
// follow: a tag `<array a="/>">` is an open array to libplist and an empty
// element to a scan that ends tags at their first '>'.
//
// So the scan takes only markup that leaves no room for two readings. No
// '<' stands anywhere but at the start of a construct, so however a reader
// decides where a comment or a declaration ends, the rest can only be text:
// every reader sees the same tags. A tag's attribute values hold none of
// < > & " ', so every reader ends the tag at its first '>' and sees the
// same empty elements. The scan takes the XML declaration at the very
// start, one document type of a name and identifiers, comments without '<'
// or "--", quotes of either kind (each identifier or attribute value holds
// neither), closing tags that match their opening ones, and one root value
// (inside a <plist> element or not, which holds that one value only:
// libplist makes an array of several).
// It refuses everything else the game never writes: processing
// instructions, CDATA sections, internal subsets, a NUL byte anywhere (the
// parser would cut a text short at it), text outside the root. Whatever
// libplist then makes of an element, its tree is no deeper and holds no
// more values than the scan counted. Any thread.
struct PlistXmlShape {
    std::string fault;       // why the list is refused; empty when it is taken
    std::size_t values = 0;  // keys and values, the <plist> wrapper left out
    int depth = 0;           // of the deepest value or key, the root value at 1
    uint64_t entityWork = 0; // each element's entity references times its text's length, summed
};

// The shape of `text`, or the first fault that refuses it. A list nested
// deeper or holding more values than the store caps (PlistCodec.h), whose
// entity references would cost libplist more than kPlistMaxEntityWork, or
// with a key or a dictionary beyond kPlistMaxKeyBytes or
// kPlistMaxDictionaryKeys, is refused as soon as the scan sees it; so is an
// <integer> or a <real> whose text libplist would not read as the number it
// spells (a leading 0 read as octal, characters after the number, a value
// beyond 64 bits or beyond a double), and only such a one.
PlistXmlShape scanPlistXml(std::string_view text);

} // namespace ZQ
