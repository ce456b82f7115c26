#pragma once

#include "platform/ZQSnapshot.h"

// Where the knot hangs in a snapshot, in the bitmap's pixels from its top
// left: the full width and the band from 18 % to 78 % of the height.
struct ZQPictureRect {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

// The band of a snapshot of `widthPoints` x `heightPoints` points at `scale`
// pixels a point; each value worked out in double and rounded to float, as
// the platform's graphics types round them.
ZQPictureRect knotRect(float widthPoints, float heightPoints, float scale);

// The pixels of `snapshot` that `rect` touches (edges rounded outwards,
// clipped to the bitmap); empty when they are none.
ZQImage cutPicture(const ZQImage& snapshot, const ZQPictureRect& rect);

// The knot's picture from a snapshot taken at `scale` pixels a point (its
// size in points is its pixels over the scale, truncated, as the view's
// snapshot keeps it).
ZQImage knotPicture(const ZQImage& snapshot, float scale);
