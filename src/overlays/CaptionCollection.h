#pragma once

#include <cstdint>
#include <string>

namespace ZQ {

class Action;
class CaptionInstance;

// The number captions of the heads-up display, their pop, the totals' fade
// and the hologram's text lines (knot name, level counter, grade, time), as
// free functions over the caption model and the caption box of the engine
// globals. Positions are screen pixels, bottom-left origin, at the device's
// HUD depth. Main thread only.
namespace CaptionCollection {

inline constexpr int32_t TIMER_COUNT = 91;  // timer_0 .. timer_90
inline constexpr int32_t SCORE_COUNT = 151; // score_0 .. score_150

// The number captions stay (a never-ending action) until dropped or hidden;
// each returns the new caption, its left edge at 0.1 w.
CaptionInstance* showStringScore(int32_t count); // timer_<count>, count 0 .. MAX_CORD_STRINGS
CaptionInstance* showTimer(int32_t frames);      // timer_<frames / 30>
CaptionInstance* showScore(int32_t count);       // score_<count>, below the ring picture

// Shrinks and fades the caption in 10 frames, after which the model drops it.
void popAction(CaptionInstance* caption);
// Fades out the first "partials_total" (30 frames) and "small_totalpoints"
// (15 frames) on screen.
void animateTotals();

// The hologram lines' actions, new each call (the caller binds and owns them):
// appear in place, appear after half a second, or slide to a line fading out.
Action* holoHoldAt25();
Action* holoHoldAt20();
Action* holoEnterAt12();
Action* holoEnterAt16();
Action* holoMoveTo25();
Action* holoMoveTo20();
Action* holoMoveTo16();
Action* holoMoveTo12();

// Shows the caption on the grade line (0.16 h), reusing one already shown.
void showHoloLine(const std::string& name);
// Fades every caption of that name off the grade line.
void moveHoloLine(const std::string& name);
// Rewrites the hologram lines for a level index while they are faded out:
// knot name, level counter, grade line and level time.
void updateHoloName(int32_t level);

// The text setters: each rewrites one caption through the caption box.
void setHoloLevelText(int32_t n, int32_t m);   // holo_level: "n/m"
void setHoloTimerText(int32_t seconds);        // holo_timer: "<seconds> seconds", " " for 0 and 1
void setKnotNameText(const std::string& name); // knots_name, unless unchanged
void setPointsValueText(int32_t n);            // points_value, spaced digits, unless unchanged
void setPartialsTotalText(int32_t n);          // partials_total, digits grouped, unless unchanged

// The texts the setters write, for the tests and the fit test.
std::string holoTimerText(int32_t seconds);
std::string pointsValueText(int32_t n);
// n with its thousands grouped as the language writes them.
std::string groupedNumber(int32_t n, const std::string& language);

} // namespace CaptionCollection

} // namespace ZQ
