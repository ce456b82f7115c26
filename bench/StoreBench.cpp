#include <benchmark/benchmark.h>

#include "BinaryPlistWriter.h"
#include "engine/PlistCodec.h"
#include "engine/PlistXmlScan.h"

#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

// The costliest XML lists the stores take, which the caps in PlistCodec.h
// exist to bound: what a start may spend on a store file made to be slow.

// A string of `references` "&amp;" at the start of a text `length` bytes
// long: libplist moves the rest of the text up for each reference.
std::string listWithReferences(std::size_t references, std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < references; ++i) {
        text += "&amp;";
    }
    text.append(length - text.size(), 'x');
    return "<plist><dict><key>k</key><string>" + text + "</string></dict></plist>";
}

void parseEvery(benchmark::State& state, const std::string& xml) {
    if (!ZQ::scanPlistXml(xml).fault.empty()) {
        state.SkipWithError("the list is not one the stores take");
        return;
    }
    std::string why;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZQ::parsePlistDictionary(xml.data(), xml.size(), why));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(xml.size()));
}

// Entity references at the cap, two ways: few of them ahead of a long text,
// or a text of nothing else.
void BM_ParseListAtTheEntityCap(benchmark::State& state) {
    const std::size_t references =
        state.range(0) == 0
            ? 1024
            : static_cast<std::size_t>(std::sqrt(static_cast<double>(ZQ::kPlistMaxEntityWork) / 5.0));
    parseEvery(state, listWithReferences(references, ZQ::kPlistMaxEntityWork / references));
}
BENCHMARK(BM_ParseListAtTheEntityCap)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// As many values as the reader takes, and the largest file: one array of
// integers, then one text.
void BM_ParseListAtTheSizeCaps(benchmark::State& state) {
    std::string xml = "<plist><dict><key>k</key>";
    if (state.range(0) == 0) {
        xml += "<array>";
        for (std::size_t i = 0; i + 3 < ZQ::kPlistMaxValues; ++i) {
            xml += "<integer>12345</integer>";
        }
        xml += "</array>";
    } else {
        xml += "<string>" + std::string(ZQ::kPlistMaxBytes - 100, 'x') + "</string>";
    }
    parseEvery(state, xml + "</dict></plist>");
}
BENCHMARK(BM_ParseListAtTheSizeCaps)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// A list whose texts grow past the size cap once their '<' are written as
// references, as a binary list read in can be: refused by its least written
// size (0), against spelling it out to learn the same (1).
void BM_RefuseAListTooLargeOnceWritten(benchmark::State& state) {
    const ZQ::StoreValue::Dictionary list = {
        {"text", ZQ::StoreValue::string(std::string(ZQ::kPlistMaxBytes / 3, '<'))}};
    for (auto _ : state) {
        if (state.range(0) == 0) {
            benchmark::DoNotOptimize(ZQ::plistRoomFault(list, {}));
        } else {
            benchmark::DoNotOptimize(ZQ::writePlistDictionary(list));
        }
    }
}
BENCHMARK(BM_RefuseAListTooLargeOnceWritten)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// The bucket libplist 2.2 puts a key in once its dictionary holds more than
// 500 keys: djb2 over the key, modulo 4,096 buckets.
unsigned bucketOf(const std::string& key) {
    uint32_t hash = 5381;
    for (const char c : key) {
        hash = hash * 33 + static_cast<unsigned char>(c);
    }
    return hash % 4096;
}

// `count` keys of `bytes` bytes, each pair of them as costly for libplist to
// tell apart as keys can be: one long prefix and a last five characters
// chosen to share one bucket; or as cheap: random throughout.
std::vector<std::string> keysOf(std::size_t count, std::size_t bytes, bool colliding) {
    static constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::vector<std::string> keys;
    std::mt19937 random(7);
    if (!colliding) {
        while (keys.size() < count) {
            std::string key(bytes, ' ');
            for (char& c : key) {
                c = kLetters[random() % kLetters.size()];
            }
            keys.push_back(std::move(key));
        }
        return keys;
    }
    std::string key(bytes, 'k');
    const std::size_t tail = bytes - 5;
    std::optional<unsigned> bucket;
    for (uint64_t n = 0; keys.size() < count; ++n) {
        uint64_t digits = n;
        for (std::size_t i = 0; i < 5; ++i, digits /= kLetters.size()) {
            key[tail + i] = kLetters[digits % kLetters.size()];
        }
        if (!bucket) {
            bucket = bucketOf(key);
        }
        if (bucketOf(key) == *bucket) {
            keys.push_back(key);
        }
    }
    return keys;
}

// A list of as many dictionaries of `keys` keys as the value cap allows,
// each key `bytes` long and holding true, in XML or binary.
std::string listOfDictionaries(std::size_t keys, std::size_t bytes, bool colliding, bool binary) {
    const std::vector<std::string> names = keysOf(keys, bytes, colliding);
    const std::size_t dictionaries = std::max<std::size_t>(1, (ZQ::kPlistMaxValues - 8) / (2 * keys + 1));
    if (binary) {
        BinaryPlistWriter writer;
        std::vector<std::pair<BinaryPlistWriter::Ref, BinaryPlistWriter::Ref>> entries;
        for (const std::string& name : names) {
            entries.emplace_back(writer.ascii(name), writer.boolean(true));
        }
        std::vector<BinaryPlistWriter::Ref> all;
        for (std::size_t i = 0; i < dictionaries; ++i) {
            all.push_back(writer.dictionary(entries));
        }
        return writer.bytes(writer.dictionary({{writer.ascii("k"), writer.array(all)}}));
    }
    std::string dictionary = "<dict>";
    for (const std::string& name : names) {
        dictionary += "<key>" + name + "</key><true/>";
    }
    dictionary += "</dict>";
    std::string xml = "<plist><dict><key>k</key><array>";
    for (std::size_t i = 0; i < dictionaries; ++i) {
        xml += dictionary;
    }
    return xml + "</array></dict></plist>";
}

// What a start spends on the costliest list the key bounds take, and a save
// writing it back: read and checked for room (0) or written (1), its keys
// colliding or random, in XML or binary. Writing builds a libplist tree of
// the whole list, so a binary list costs as much there as an XML one.
void BM_ListAtTheKeyBounds(benchmark::State& state) {
    const bool written = state.range(0) == 1;
    const bool colliding = state.range(1) == 1;
    const bool binary = state.range(2) == 1;
    const std::string list =
        listOfDictionaries(ZQ::kPlistMaxDictionaryKeys, ZQ::kPlistMaxKeyBytes, colliding, binary);
    std::string why;
    const std::optional<ZQ::StoreValue::Dictionary> read =
        ZQ::parsePlistDictionary(list.data(), list.size(), why);
    if (!read || !ZQ::plistRoomFault(*read, {}).empty()) {
        state.SkipWithError("the list is not one the stores take");
        return;
    }
    for (auto _ : state) {
        if (written) {
            benchmark::DoNotOptimize(ZQ::writePlistDictionary(*read));
        } else {
            const auto again = ZQ::parsePlistDictionary(list.data(), list.size(), why);
            benchmark::DoNotOptimize(ZQ::plistRoomFault(*again, {}));
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(list.size()));
    state.SetLabel(std::string(written ? "write" : "read") + (colliding ? ", colliding" : ", random") +
                   (binary ? ", binary" : ", XML"));
}
BENCHMARK(BM_ListAtTheKeyBounds)->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

// One dictionary of 7,160 keys of 2,150 bytes that share a bucket, 15 MB:
// what libplist once took seconds over, refused now at its first key, too
// long, in XML or binary.
void BM_RefuseCollidingKeysBeyondTheBounds(benchmark::State& state) {
    const std::string list = listOfDictionaries(7160, 2150, true, state.range(0) == 1);
    std::string why;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ZQ::parsePlistDictionary(list.data(), list.size(), why));
    }
    if (why.find("longer than") == std::string::npos && why.find("more than") == std::string::npos) {
        state.SkipWithError(("not refused for its keys: " + why).c_str());
    }
    state.SetLabel(state.range(0) == 1 ? "binary" : "XML");
}
BENCHMARK(BM_RefuseCollidingKeysBeyondTheBounds)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

} // namespace
