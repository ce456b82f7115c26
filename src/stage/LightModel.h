#pragma once

#include "engine/CloudletContainer.h"
#include "engine/Model.h"
#include "engine/PVRTMatrix.h"

#include <vector>

namespace ZQ {

class Cloudlet;

// The scene's single light: an eye, the point it looks at and an up
// direction. Every frame it sits below the camera eye (y = -0.6 H) and aims at
// the cords' smoothed centre, so the knot's shadow falls on the floor and back
// wall. Its light matrix renders the shadow map and lets the cord and room
// passes look it up; the eye's position is the light position of the shaders.
//
// Positions are pixels. The model owns its three items from setUp to tearDown.
// It steps after the camera (whose eye it copies) and before the cord model.
class LightModel : public Model, public CloudletContainer {
public:
    LightModel() = default;
    ~LightModel() override;
    LightModel(const LightModel&) = delete;
    LightModel& operator=(const LightModel&) = delete;

    void setUp() override;
    void tearDown() override;
    void doStep() override;
    // The eye, then the target.
    void getCloudlets(std::vector<Cloudlet*>& out) override;

    // Pl * Vl: the light's view (built like the camera's) and a 90-degree
    // perspective with near plane 15 and far plane 3H. Callers map a world
    // point q with lightMatrix * C * q, C the centring translation.
    PVRTMat4 lightMatrix() const;
    // Vl alone, the look-at of the eye, target and up items.
    PVRTMat4 viewMatrix() const;
    static PVRTMat4 lightProjection();

    Cloudlet* eye = nullptr;
    Cloudlet* target = nullptr;
    Cloudlet* up = nullptr;
    std::vector<Cloudlet*> cloudlets; // eye, up, target

private:
    void release();
};

} // namespace ZQ
