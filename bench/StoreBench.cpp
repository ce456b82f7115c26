#include <benchmark/benchmark.h>

#include "engine/PlistCodec.h"
#include "engine/PlistXmlScan.h"

#include <cmath>
#include <string>

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

} // namespace
