#include "game/TipNode.h"

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

void TipNode::setTwoRows() {
    rows = {0.115f, 0.085f};
}

TPTooltip::TPTooltip(const std::string& name) : TipNode(name) {
    setTwoRows();
}

TPIdle::TPIdle(const std::string& name) : TipNode(name) {
    setTwoRows();
}

TPRotate::TPRotate(const std::string& name) : TipNode(name) {
    setTwoRows();
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
