#include "platform/ZQKnotPicture.h"

#include "engine/Assert.h"

#include <algorithm>
#include <cmath>
#include <cstring>

ZQPictureRect knotRect(float widthPoints, float heightPoints, float scale) {
    const double w = widthPoints;
    const double h = heightPoints;
    const double s = scale;
    return {0.0f, static_cast<float>(0.18 * h * s), static_cast<float>(s * w),
            static_cast<float>(0.6 * h * s)};
}

ZQImage cutPicture(const ZQImage& snapshot, const ZQPictureRect& rect) {
    ZQ_ASSERT(snapshot.rgba.size() ==
              static_cast<std::size_t>(snapshot.width) * static_cast<std::size_t>(snapshot.height) * 4);
    // Outwards to whole pixels, then inside the bitmap.
    const double left = std::max(0.0, std::floor(static_cast<double>(rect.x)));
    const double top = std::max(0.0, std::floor(static_cast<double>(rect.y)));
    const double right = std::min(static_cast<double>(snapshot.width),
                                  std::ceil(static_cast<double>(rect.x) + static_cast<double>(rect.width)));
    const double bottom = std::min(static_cast<double>(snapshot.height),
                                   std::ceil(static_cast<double>(rect.y) + static_cast<double>(rect.height)));
    ZQImage cut;
    if (!(right > left && bottom > top)) {
        return cut;
    }
    const int x0 = static_cast<int>(left);
    const int y0 = static_cast<int>(top);
    cut.width = static_cast<int>(right) - x0;
    cut.height = static_cast<int>(bottom) - y0;
    const std::size_t row = static_cast<std::size_t>(cut.width) * 4;
    cut.rgba.resize(row * static_cast<std::size_t>(cut.height));
    for (int y = 0; y < cut.height; ++y) {
        std::memcpy(&cut.rgba[static_cast<std::size_t>(y) * row], snapshot.pixel(x0, y0 + y), row);
    }
    return cut;
}

ZQImage knotPicture(const ZQImage& snapshot, float scale) {
    ZQ_ASSERT(scale > 0.0f);
    const double s = scale;
    const float widthPoints = static_cast<float>(std::trunc(snapshot.width / s));
    const float heightPoints = static_cast<float>(std::trunc(snapshot.height / s));
    return cutPicture(snapshot, knotRect(widthPoints, heightPoints, scale));
}
