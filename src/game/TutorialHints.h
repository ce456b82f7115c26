#pragma once

namespace ZQ {

// The gesture hints of the tutorial: balloons that show, over and over, the
// finger movement a step asks for, until the step leaves and fades them
// (BalloonModel::easeAll). Each balloon waits two seconds, then loops its
// keyframes. Positions are pixels of the current screen, 0.45 h towards the
// viewer.
class TutorialHints {
public:
    // A short flick to the right across the middle of the screen.
    static void showSlide();
    // A rest on the cord, then a pull to the left.
    static void showDrag();
    // A sweep along the bottom of the screen, where swipes turn the knot.
    static void showRotate();
    // Two balloons pulled apart along the diagonal.
    static void showAttractor();

    // The balloon's height, in pixels, at which it shows at the bottom edge
    // swipe band: where the line of sight through screen point (0.5 w,
    // 0.05 h) reaches the balloons' depth.
    static float rotateHeight();
};

} // namespace ZQ
