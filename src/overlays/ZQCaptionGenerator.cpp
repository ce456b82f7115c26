#include "overlays/ZQCaptionGenerator.h"

#include "engine/Assert.h"
#include "engine/Bundle.h"
#include "engine/Log.h"
#include "engine/PlistCodec.h"
#include "overlays/ZQCaptionProducer.h"

#include <pango/pangocairo.h>
#include <plist/plist.h>

#include <fstream>
#include <iterator>

namespace ZQ {

namespace {

const std::string kAttributes = "attributes";

// A property-list leaf as a caption attribute; false for a kind no attribute
// takes (dates, data, nested dictionaries inside arrays).
bool readValue(plist_t node, CaptionValue& out) {
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        out = CaptionValue::ofBoolean(value != 0);
        return true;
    }
    case PLIST_UINT: {
        // libplist keeps negative integers in the same node, two's complement.
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        out = CaptionValue::ofNumber(static_cast<double>(static_cast<int64_t>(value)));
        return true;
    }
    case PLIST_REAL: {
        double value = 0.0;
        plist_get_real_val(node, &value);
        out = CaptionValue::ofNumber(value);
        return true;
    }
    case PLIST_STRING: {
        char* value = nullptr;
        plist_get_string_val(node, &value);
        out = CaptionValue::ofText(value != nullptr ? value : "");
        free(value);
        return true;
    }
    case PLIST_ARRAY: {
        std::vector<double> values;
        for (uint32_t i = 0; i < plist_array_get_size(node); ++i) {
            CaptionValue element;
            if (readValue(plist_array_get_item(node, i), element) &&
                element.kind != CaptionValue::Kind::Text && element.kind != CaptionValue::Kind::List) {
                values.push_back(element.number);
            }
        }
        out = CaptionValue::ofList(std::move(values));
        return true;
    }
    default:
        return false;
    }
}

// One level of the flattening: `dict` under the full key `prefix` (empty at
// the root), with the attributes inherited from above.
void explore(plist_t dict, const std::string& prefix, const CaptionAttributes& inherited,
             std::unordered_map<std::string, CaptionAttributes>& table, int depth) {
    if (depth > kPlistMaxDepth) {
        logToStderr("Captions under %s nest deeper than %d groups; left out", prefix.c_str(), kPlistMaxDepth);
        return;
    }
    CaptionAttributes merged = inherited;
    if (plist_t attributes = plist_dict_get_item(dict, kAttributes.c_str());
        attributes != nullptr && plist_get_node_type(attributes) == PLIST_DICT) {
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(attributes, &it);
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(attributes, it, &key, &value);
            if (key == nullptr) {
                break;
            }
            CaptionValue read;
            if (readValue(value, read)) {
                merged[key] = std::move(read);
            }
            free(key);
        }
        free(it);
    }

    plist_dict_iter it = nullptr;
    plist_dict_new_iter(dict, &it);
    for (;;) {
        char* rawKey = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(dict, it, &rawKey, &value);
        if (rawKey == nullptr) {
            break;
        }
        const std::string key = rawKey;
        free(rawKey);
        if (key == kAttributes) {
            continue;
        }
        const std::string full = prefix.empty() ? key : prefix + "_" + key;
        if (plist_get_node_type(value) == PLIST_DICT) {
            explore(value, full, merged, table, depth + 1);
            continue;
        }
        CaptionValue text;
        if (!readValue(value, text) || text.kind != CaptionValue::Kind::Text) {
            logToStderr("Caption %s is not a text; left out", full.c_str());
            continue;
        }
        CaptionAttributes leaf = merged;
        leaf["label"] = std::move(text);
        table[full] = std::move(leaf);
    }
    free(it);
}

} // namespace

ZQCaptionGenerator::ZQCaptionGenerator(std::string filename, int32_t scale, std::string path)
    : filename(std::move(filename)), scale_(scale), path(std::move(path)) {
    ZQ_ASSERT(scale >= 1);
}

ZQCaptionGenerator::~ZQCaptionGenerator() {
    if (context != nullptr) {
        g_object_unref(context);
    }
}

void ZQCaptionGenerator::setUp() {
    load(path.empty() ? pathForResource(filename, "plist") : path);
}

void ZQCaptionGenerator::load(const std::string& file) {
    captionAttrs_.clear();
    std::ifstream stream(file, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    plist_t root = nullptr;
    if (!data.empty() && data.size() <= kPlistMaxBytes) {
        plist_from_memory(data.data(), static_cast<uint32_t>(data.size()), &root);
    }
    if (root == nullptr || plist_get_node_type(root) != PLIST_DICT) {
        logToStderr("Error reading plist: %s",
                    file.empty()                   ? (filename + ".plist is not in the bundle").c_str()
                    : data.empty()                 ? ("cannot read " + file).c_str()
                    : data.size() > kPlistMaxBytes ? ("too large to be the captions: " + file).c_str()
                                                   : ("not a dictionary of captions: " + file).c_str());
        if (root != nullptr) {
            plist_free(root);
        }
        return;
    }
    explore(root, "", {}, captionAttrs_, 0);
    plist_free(root);
}

CaptionBitmap ZQCaptionGenerator::make(const std::string& key, const std::string& label) {
    return make(key, label, nullptr);
}

CaptionBitmap ZQCaptionGenerator::make(const std::string& key, const std::string& label, CaptionFit* fit) {
    if (context == nullptr) {
        context = pango_font_map_create_context(pango_cairo_font_map_get_default());
        // Unhinted outlines at fractional positions: letter boundaries move
        // smoothly with the size and match on every machine.
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        pango_cairo_context_set_font_options(context, options);
        cairo_font_options_destroy(options);
    }
    const auto found = captionAttrs_.find(key);
    if (found == captionAttrs_.end()) {
        if (loggedKeys.insert(key).second) {
            logToStderr("Caption %s is not in the captions list; drawn empty", key.c_str());
        }
        return ZQCaptionProducer::emptyBitmap();
    }
    if (!label.empty()) {
        // The new text outlives this rendering: a caption released and drawn
        // again shows the last text set.
        found->second["label"] = CaptionValue::ofText(label);
    }
    ZQCaptionProducer producer(context, scale_);
    return producer.render(found->second, key, fit);
}

} // namespace ZQ
