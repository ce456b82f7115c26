#include "FlowStage.h"

#include "engine/Globals.h"
#include "overlays/CaptionInstance.h"

#include <cstdlib>
#include <set>

ZQ::CaptionBitmap LetterGenerator::make(const std::string& key, const std::string&) {
    const std::string name = key.substr(key.find('_') + 1);
    const std::string text = textOf(name);
    ZQ::CaptionBitmap bitmap;
    bitmap.width = std::max<int>(1, kLetterWidth * static_cast<int>(text.size()));
    bitmap.height = 20;
    bitmap.pixels = static_cast<uint8_t*>(std::calloc(static_cast<std::size_t>(bitmap.width) * 20 * 4, 1));
    for (std::size_t i = 0; i <= text.size(); ++i) {
        bitmap.metrics.push_back(static_cast<double>(i * kLetterWidth));
    }
    return bitmap;
}

std::string LetterGenerator::textOf(const std::string& name) const {
    const auto found = texts.find(name);
    if (found != texts.end()) {
        return found->second;
    }
    // As long as a line of the game's own texts: a chain of this many links
    // reaches across the screen.
    std::string text = "text of " + name;
    text.resize(24, '.');
    return text;
}

void FlowStage::SetUp() {
    CatalogueSuite::SetUp();
    ZQ::Globals& g = ZQ::gGlobals;
    w = g.screenSize.x;
    h = g.screenSize.y;
    g.language = "en";
    generator = new LetterGenerator();
    box = std::make_unique<ZQ::CaptionBox>(generator);
    box->setUp();
    flowWorld = std::make_unique<ZQ::Fx::ParticleSystem>(ZQ::Fx::kFlowWorld);
    g.captionBox = box.get();
    g.captionModel = &captions;
    g.particleSystem2 = flowWorld.get();
    g.flowModel = &flows;
    g.cursorModel = &cursors;
    g.balloonModel = &balloons;
    g.models = {flowWorld.get(), &flows, &captions, &cursors, &balloons};
    for (ZQ::Model* model : g.models) {
        model->setUp();
    }
}

void FlowStage::TearDown() {
    for (ZQ::Model* model : ZQ::gGlobals.models) {
        model->tearDown();
    }
    box->tearDown();
    CatalogueSuite::TearDown();
}

void FlowStage::frame(ZQ::Controller* controller) {
    ZQ::gGlobals.masterController = controller;
    ZQ::gGlobals.stepFrame();
    ZQ::gGlobals.masterController = nullptr;
}

std::vector<ZQ::FlowInstance*> FlowStage::lettersOf(int flow) const {
    std::vector<ZQ::FlowInstance*> out;
    for (ZQ::FlowInstance* letter : flows.letters) {
        if (letter->flow == flow) {
            out.push_back(letter);
        }
    }
    return out;
}

std::vector<int> FlowStage::flowIds() const {
    std::set<int> ids;
    for (const ZQ::FlowInstance* letter : flows.letters) {
        ids.insert(letter->flow);
    }
    return {ids.begin(), ids.end()};
}

int FlowStage::flowOf(const std::string& name) const {
    for (const ZQ::FlowInstance* letter : flows.letters) {
        if (letter->entry != nullptr && letter->entry->name == name) {
            return letter->flow;
        }
    }
    return -1;
}
