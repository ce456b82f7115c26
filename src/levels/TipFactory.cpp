#include "levels/TipFactory.h"

namespace ZQ {

namespace {

TipFactory* gFactory = nullptr;

} // namespace

TipFactory* registerTipFactory(TipFactory* factory) {
    TipFactory* previous = gFactory;
    gFactory = factory;
    return previous;
}

TipFactory* registeredTipFactory() {
    return gFactory;
}

} // namespace ZQ
