// caption-plist OUT LAYOUT LANGUAGE...
//
// Writes the game's "captions" property list: for every language file (its
// name, without extension, is the language code) the shared layout with the
// language's texts and attributes laid over it, under the language's key.
// OUT's folder is made, parents too.
#include "CaptionSource.h"
#include "OutputFolder.h"
#include "ToolUsage.h"

#include <plist/plist.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace {

plist_t toPlist(const CaptionSource::Node& node) {
    using Kind = CaptionSource::Node::Kind;
    switch (node.kind) {
    case Kind::Group: {
        plist_t dict = plist_new_dict();
        for (const CaptionSource::Node& child : node.children) {
            plist_dict_set_item(dict, child.key.c_str(), toPlist(child));
        }
        return dict;
    }
    case Kind::Text:
        return plist_new_string(node.text.c_str());
    case Kind::Integer:
        return node.number >= 0 ? plist_new_uint(static_cast<uint64_t>(node.number))
                                : plist_new_real(node.number);
    case Kind::Real:
        return plist_new_real(node.number);
    case Kind::Boolean:
        return plist_new_bool(node.number != 0.0);
    case Kind::List: {
        plist_t array = plist_new_array();
        for (double value : node.list) {
            plist_array_append_item(array, plist_new_real(value));
        }
        return array;
    }
    }
    return plist_new_dict();
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> status = ToolUsage::answerNames(
            argc, argv, 3, argc, "usage: caption-plist OUT.plist LAYOUT LANGUAGE...\n")) {
        return *status;
    }
    if (!OutputFolder::makeFor("caption-plist", argv[1])) {
        return 1;
    }
    std::string error;
    CaptionSource::Node layout;
    if (!CaptionSource::parseFile(argv[2], layout, error)) {
        std::fprintf(stderr, "caption-plist: %s\n", error.c_str());
        return 1;
    }
    CaptionSource::Node root;
    for (int i = 3; i < argc; ++i) {
        CaptionSource::Node language;
        if (!CaptionSource::parseFile(argv[i], language, error)) {
            std::fprintf(stderr, "caption-plist: %s\n", error.c_str());
            return 1;
        }
        CaptionSource::Node merged = layout;
        CaptionSource::merge(merged, language);
        if (!CaptionSource::expandRanges(merged, error)) {
            std::fprintf(stderr, "caption-plist: %s: %s\n", argv[i], error.c_str());
            return 1;
        }
        merged.key = std::filesystem::path(argv[i]).stem().string();
        root.children.push_back(std::move(merged));
    }
    plist_t list = toPlist(root);
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(list, &xml, &length);
    std::ofstream out(argv[1], std::ios::binary);
    out.write(xml, length);
    plist_to_xml_free(xml);
    plist_free(list);
    if (!out) {
        std::fprintf(stderr, "caption-plist: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
