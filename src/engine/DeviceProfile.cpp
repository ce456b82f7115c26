#include "engine/DeviceProfile.h"

#include <initializer_list>
#include <iterator>

#include "engine/DeviceIdentification.h"

namespace ZQ {

namespace {

// Platform types are below 64, so a row's types fit one mask.
constexpr uint64_t types(std::initializer_list<uint32_t> list) {
    uint64_t mask = 0;
    for (uint32_t t : list) {
        mask |= uint64_t{1} << t;
    }
    return mask;
}

struct Row {
    uint64_t platformTypes;
    DeviceProfile profile;
};

constexpr bool no = false;
constexpr bool yes = true;

// Rows by platform type (device identification). The last row is the default:
// unrecognised devices and every type without a row of its own.
// clang-format off
constexpr Row kRows[] = {
    //                          frame scale mesh tolerance hudDepth caption cordSh roomSh biasMinMax          target fov  sceneMS texMS tubeTex touch
    {types({2}),              {2,   2.0f, 1,   no,       3000.0f, 3,      no,    no,    {0.0f,     0.0f},   2048.0f, 65.0f, yes,  no,   0.5f,  36.0f}}, // simulator, narrow screen
    {types({3}),              {2,   2.0f, 1,   no,       3000.0f, 3,      no,    no,    {0.0f,     0.0f},   1024.0f, 85.0f, yes,  no,   0.5f,  36.0f}}, // simulator, wide screen
    {types({8}),              {2,   1.0f, 1,   no,       1500.0f, 1,      no,    no,    {-0.0005f, 0.005f}, 256.0f,  65.0f, no,   no,   0.5f,  24.0f}}, // iPhone3
    {types({9}),              {2,   1.0f, 2,   no,       1500.0f, 1,      no,    no,    {-0.0005f, 0.005f}, 1024.0f, 65.0f, yes,  no,   0.5f,  24.0f}}, // iPhone4
    {types({10}),             {2,   2.0f, 2,   yes,      3000.0f, 2,      no,    no,    {-0.0005f, 0.005f}, 1024.0f, 65.0f, yes,  no,   0.5f,  36.0f}}, // iPhone5
    {types({11, 16, 27, 41}), {2,   2.0f, 2,   yes,      3000.0f, 2,      yes,   yes,   {-0.0005f, 0.005f}, 2048.0f, 65.0f, yes,  no,   0.5f,  36.0f}}, // iPhone6, iPhone8,4, iPod7, other iPod
    {types({12, 40}),         {2,   2.0f, 2,   yes,      3000.0f, 2,      yes,   yes,   {0.0f,     0.0f},   2048.0f, 65.0f, yes,  no,   0.5f,  36.0f}}, // iPhone7,2, other iPhone
    {types({13}),             {2,   3.0f, 2,   yes,      3000.0f, 3,      yes,   yes,   {0.0006f,  0.005f}, 2048.0f, 65.0f, yes,  no,   0.5f,  36.0f}}, // iPhone7,1
    {types({14, 17, 19}),     {2,   2.0f, 2,   yes,      3000.0f, 2,      yes,   yes,   {0.0f,     0.0f},   4096.0f, 65.0f, yes,  no,   0.5f,  36.0f}}, // iPhone8,1, iPhone9,1/3, iPhone10,1/4
    {types({15, 18, 20, 21}), {2,   3.0f, 2,   yes,      3000.0f, 3,      yes,   yes,   {0.0006f,  0.005f}, 4096.0f, 65.0f, yes,  no,   0.5f,  36.0f}}, // iPhone8,2, iPhone9,2/4, iPhone10,2/5/3/6
    {types({26}),             {2,   1.0f, 2,   no,       2000.0f, 1,      no,    no,    {-0.0005f, 0.005f}, 1024.0f, 65.0f, yes,  no,   0.5f,  24.0f}}, // iPod5
    {types({29}),             {2,   1.0f, 2,   no,       3000.0f, 2,      no,    no,    {-0.0005f, 0.005f}, 1024.0f, 85.0f, yes,  no,   1.0f,  24.0f}}, // iPad2
    {types({30, 31}),         {2,   1.0f, 2,   yes,      3000.0f, 2,      no,    no,    {-0.0005f, 0.005f}, 1024.0f, 85.0f, yes,  no,   1.0f,  24.0f}}, // iPad3,1/2, iPad3,4/5/6
    {types({32, 33, 42}),     {2,   2.0f, 2,   yes,      3000.0f, 3,      no,    yes,   {-0.0005f, 0.005f}, 1024.0f, 85.0f, yes,  no,   1.0f,  36.0f}}, // iPad4, iPad5,1/2, other iPad
    {types({34, 35, 36}),     {2,   2.0f, 2,   yes,      3000.0f, 3,      no,    yes,   {-0.0005f, 0.005f}, 4096.0f, 85.0f, yes,  no,   1.0f,  36.0f}}, // iPad5,3/4, iPad6, iPad7
    {0,                       {2,   2.0f, 1,   yes,      3000.0f, 2,      yes,   yes,   {0.0f,     0.0f},   2048.0f, 65.0f, yes,  no,   0.5f,  36.0f}}, // default
};
// clang-format on

static_assert(std::size(kRows) == 16, "fifteen device rows and the default row");

} // namespace

const DeviceProfile& DeviceProfile::forPlatformType(uint32_t platformType) {
    const uint64_t bit = platformType < 64 ? uint64_t{1} << platformType : 0;
    for (const Row& row : kRows) {
        if ((row.platformTypes & bit) != 0) {
            return row.profile;
        }
    }
    return kRows[std::size(kRows) - 1].profile;
}

const DeviceProfile& DeviceProfile::get() {
    // Function-local: the first reader builds it, whichever file's static
    // initialiser that is.
    static const DeviceProfile& profile = forPlatformType(DeviceIdentification::platformType());
    return profile;
}

float fieldOfViewRadians(float degrees) {
    return static_cast<float>(degrees * 0.017453292519943295);
}

const float& fieldOfView() {
    static const float radians = fieldOfViewRadians(DeviceProfile::get().fovDegrees);
    return radians;
}

} // namespace ZQ
