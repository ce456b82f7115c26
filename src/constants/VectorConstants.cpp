#include "constants/VectorConstants.h"

#include "engine/DeviceProfile.h"

namespace ZQ {

float fieldOfViewRadians(float degrees) {
    return static_cast<float>(degrees * 0.017453292519943295);
}

const float& fieldOfView() {
    static const float radians = fieldOfViewRadians(DeviceProfile::get().fovDegrees);
    return radians;
}

} // namespace ZQ
