#pragma once

#include <plist/plist.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <optional>

// What libplist builds from an XML list, counted as the stores' markup scan
// counts (engine/PlistXmlScan.h): values and keys, the root included, and
// the depth of the deepest, the root at 1. The scan's tests and the state
// fuzzer hold libplist to the scan's counts with it.
struct LibplistTree {
    std::size_t values = 0;
    int depth = 0;
};

inline void measureLibplistNode(plist_t node, int depth, LibplistTree& tree) {
    ++tree.values;
    tree.depth = std::max(tree.depth, depth);
    if (plist_get_node_type(node) == PLIST_ARRAY) {
        for (uint32_t i = 0; i < plist_array_get_size(node); ++i) {
            measureLibplistNode(plist_array_get_item(node, i), depth + 1, tree);
        }
    } else if (plist_get_node_type(node) == PLIST_DICT) {
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        for (;;) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, it, &key, &item);
            std::free(key);
            if (item == nullptr) {
                break;
            }
            ++tree.values;
            measureLibplistNode(item, depth + 1, tree);
        }
        std::free(it);
    }
}

// The tree libplist makes of `xml`, or nothing when it makes none.
inline std::optional<LibplistTree> libplistTree(const char* xml, std::size_t size) {
    plist_t root = nullptr;
    plist_from_xml(xml, static_cast<uint32_t>(size), &root);
    if (root == nullptr) {
        return std::nullopt;
    }
    LibplistTree tree;
    measureLibplistNode(root, 1, tree);
    plist_free(root);
    return tree;
}
