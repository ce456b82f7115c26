#include "overlays/CaptionCollection.h"

#include "constants/ResourceNames.h"
#include "cords/Cord.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/DeviceProfile.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/TweenActions.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"
#include "render/Texture.h"

#include <cstdlib>

namespace ZQ::CaptionCollection {

namespace {

constexpr float kNumberAlpha = 0.75f;
constexpr int32_t kPopFrames = 10;

CaptionModel& model() {
    ZQ_ASSERT(gGlobals.captionModel != nullptr);
    return *gGlobals.captionModel;
}

// A number caption with its left edge at 0.1 w and its centre at `y`.
CaptionInstance* showNumber(const std::string& name, float y) {
    CaptionInstance* caption = model().addCaption(name, new NopAction());
    const int32_t textureWidth = caption->entry->texture->width;
    caption->layout.position = PVRTVec3(0.1f * gGlobals.screenSize.x + static_cast<float>(textureWidth / 2),
                                        y, DeviceProfile::get().hudDepth);
    caption->layout.alpha = kNumberAlpha;
    return caption;
}

// Fades a caption to alpha 0 in place over `frames`; the model then drops it.
Action* fadeAway(const CaptionInstance* caption, int32_t frames) {
    Layout to = caption->layout;
    to.alpha = 0.0f;
    return new Sequence({new EasingAction(to, easeOutQuart(), frames)});
}

} // namespace

CaptionInstance* showStringScore(int32_t count) {
    ZQ_ASSERT(count >= 0 && count <= MAX_CORD_STRINGS);
    return showNumber(ResourceNames::timer_ + std::to_string(count), 0.97f * gGlobals.screenSize.y);
}

CaptionInstance* showTimer(int32_t frames) {
    const int32_t count = frames / 30;
    ZQ_ASSERT(count >= 0 && count < TIMER_COUNT);
    return showNumber(ResourceNames::timer_ + std::to_string(count), 0.97f * gGlobals.screenSize.y);
}

CaptionInstance* showScore(int32_t count) {
    ZQ_ASSERT(count >= 0 && count < SCORE_COUNT);
    const int32_t ringHeight = gGlobals.captionBox->getCaption(ResourceNames::ring)->texture->height;
    CaptionInstance* caption = showNumber(ResourceNames::score_ + std::to_string(count),
                                          0.97f * gGlobals.screenSize.y - static_cast<float>(ringHeight));
    // The score's centre sits half its own width right of the left edge.
    caption->layout.position.x =
        0.1f * gGlobals.screenSize.x + static_cast<float>(caption->entry->texture->width) * 0.5f;
    return caption;
}

void popAction(CaptionInstance* caption) {
    Layout to = caption->layout;
    to.scale = 0.1f;
    to.alpha = 0.0f;
    caption->setAction(new EasingAction(to, easeInOutCirc(), kPopFrames));
}

void animateTotals() {
    if (CaptionInstance* total = model().findCaption(ResourceNames::partials_total)) {
        total->setAction(fadeAway(total, 30));
    }
    if (CaptionInstance* points = model().findCaption(ResourceNames::small_totalpoints)) {
        points->setAction(fadeAway(points, 15));
    }
}

std::string holoTimerText(int32_t seconds) {
    // Tested as unsigned: a negative time is written out like any other.
    if (static_cast<uint32_t>(seconds) <= 1) {
        return " ";
    }
    return std::to_string(seconds) + " seconds";
}

std::string pointsValueText(int32_t n) {
    std::string digits = std::to_string(n);
    while (digits.size() < 5) {
        if (digits.size() % 2 == 1) {
            digits.insert(digits.begin(), ' ');
        } else {
            digits.push_back(' ');
        }
    }
    std::string spaced;
    for (char c : digits) {
        spaced += ' ';
        spaced += c;
    }
    return spaced;
}

std::string groupedNumber(int32_t n, const std::string& language) {
    // The thousands separator of each language's decimal style; French uses a
    // narrow no-break space.
    const char* separator = language == "de" || language == "it" ? "." : language == "fr" ? "\u202F" : ",";
    const std::string digits = std::to_string(std::abs(static_cast<int64_t>(n)));
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            out += separator;
        }
        out += digits[i];
    }
    return n < 0 ? "-" + out : out;
}

void setHoloLevelText(int32_t n, int32_t m) {
    gGlobals.captionBox->setCaption(ResourceNames::holo_level, std::to_string(n) + "/" + std::to_string(m));
}

void setHoloTimerText(int32_t seconds) {
    gGlobals.captionBox->setCaption(ResourceNames::holo_timer, holoTimerText(seconds));
}

void setKnotNameText(const std::string& name) {
    static std::string last;
    if (name == last) {
        return;
    }
    last = name;
    gGlobals.captionBox->setCaption(ResourceNames::knots_name, name);
}

// The number setters skip a value already shown. Before the first call the
// caption shows the property list's own text, which is the text of 0: a
// first 0 leaves it as it stands.
void setPointsValueText(int32_t n) {
    static int32_t last = 0;
    if (n == last) {
        return;
    }
    last = n;
    gGlobals.captionBox->setCaption(ResourceNames::points_value, pointsValueText(n));
}

void setPartialsTotalText(int32_t n) {
    static int32_t last = 0;
    if (n == last) {
        return;
    }
    last = n;
    gGlobals.captionBox->setCaption(ResourceNames::partials_total,
                                    groupedNumber(n, gGlobals.captionBox->language));
}

} // namespace ZQ::CaptionCollection
