#include "stage/RoomColorAction.h"

#include "constants/Palette.h"
#include "engine/Assert.h"
#include "engine/Cloudlet.h"
#include "engine/EasingPresets.h"

#include <algorithm>

namespace ZQ {

namespace {

ColourTableItem& tableOf(Cloudlet* target) {
    ColourTableItem* item = dynamic_cast<ColourTableItem*>(target);
    ZQ_ASSERT(item != nullptr);
    return *item;
}

PVRTVec3 blend(const PVRTVec3& a, const PVRTVec3& b, float e) {
    return a + (b - a) * e;
}
float blend(float a, float b, float e) {
    return a + (b - a) * e;
}

Material blend(const Material& a, const Material& b, float e) {
    return {blend(a.ambient, b.ambient, e),
            blend(a.diffuse, b.diffuse, e),
            blend(a.specular, b.specular, e),
            blend(a.shininess, b.shininess, e),
            blend(a.refractiveIndex, b.refractiveIndex, e),
            blend(a.warm, b.warm, e),
            blend(a.cool, b.cool, e)};
}

} // namespace

RoomColorAction::RoomColorAction(int32_t frameCount) : Tween(easeInExpo(), frameCount) {}

std::vector<Material> RoomColorAction::darkScheme() {
    // clang-format off
    return {
        {Palette::black, Palette::lampBlack,  Palette::coldGrey,      36.42f, 0.0f, PVRTVec3(), PVRTVec3()}, // 0
        {Palette::black, Palette::ivoryBlack, Palette::slateGreyDark, 36.42f, 0.0f, PVRTVec3(), PVRTVec3()}, // 1
        {Palette::black, Palette::lampBlack,  Palette::warmGrey,      36.42f, 0.0f, PVRTVec3(), PVRTVec3()}, // 2
        {Palette::black, Palette::lampBlack,  Palette::lightGrey,     36.42f, 0.0f, PVRTVec3(), PVRTVec3()}, // 3
    };
    // clang-format on
}

Action::State RoomColorAction::start() {
    const State s = Tween::start();
    from = tableOf(target).colourTable();
    to = darkScheme();
    return s;
}

Action::State RoomColorAction::run() {
    std::vector<Material>& table = tableOf(target).colourTable();
    if (t >= 1.0f) {
        t = 1.0f;
        table = to;
        return Success;
    }
    const float e = curve->ease(t);
    // A table that is not the usual four records blends only the records all
    // three tables have, rather than read past the end of one of them.
    const size_t n = std::min({table.size(), from.size(), to.size()});
    for (size_t i = 0; i < n; ++i) {
        table[i] = blend(from[i], to[i], e);
    }
    t += step;
    return Running;
}

} // namespace ZQ
