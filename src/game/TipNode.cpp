#include "game/TipNode.h"

#include "game/TipSceneCollection.h"

namespace ZQ {

TipNode::TipNode(const std::string& name) : name_(name) {}

void TipNode::start() {
    clear();
    closed = false;
    idleSeen = false;
}

void TipNode::clear() {
    groups.clear();
}

void TipNode::onTimeUp() {
    close();
    idleSeen = false;
}

void TipNode::onSolved() {
    close();
    idleSeen = false;
}

void TipNode::onIdle() {
    idleSeen = true;
}

void TipNode::show() {
    if (closed) {
        return;
    }
    TipSceneCollection::showGroup(*this, groups, rows, name_);
    closed = true;
}

void TipNode::close() {
    closed = true;
    if (!groups.empty()) {
        TipSceneCollection::hideGroup(*this, groups);
        groups.clear();
    }
}

void TipNode::setTwoRows() {
    rows = {0.115f, 0.085f};
}

TPTooltip::TPTooltip(const std::string& name) : TipNode(name) {
    setTwoRows();
}

void TPTooltip::onGrasp(Grasp*) {
    close();
}

void TPTooltip::onIdle() {
    idleSeen = true;
    show();
}

TPIdle::TPIdle(const std::string& name) : TipNode(name) {
    setTwoRows();
}

void TPIdle::onHeadReleased(HeadInstance*) {
    show();
}

TPRotate::TPRotate(const std::string& name) : TipNode(name) {
    setTwoRows();
}

void TPRotate::onAlmostSolved() {
    if (idleSeen) {
        show();
    }
}

namespace {

class TipNodeFactory final : public TipFactory {
public:
    TipNode* makeTip(TipClass tipClass, const std::string& name) override {
        switch (tipClass) {
        case TipClass::Tooltip:
            return new TPTooltip(name);
        case TipClass::Idle:
            return new TPIdle(name);
        case TipClass::Rotate:
            return new TPRotate(name);
        }
        return nullptr;
    }
    void deleteTip(TipNode* tip) override { delete tip; }
};

} // namespace

TipFactory& tipNodeFactory() {
    static TipNodeFactory factory;
    return factory;
}

} // namespace ZQ
