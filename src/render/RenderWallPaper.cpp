#include "render/RenderWallPaper.h"

#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "render/WallPaperProgram.h"
#include "stage/MandalaMesher.h"
#include "stage/MandalaModel.h"
#include "stage/RoomModel.h"

namespace ZQ {

static_assert(MandalaInstance::kKind == kWallPaperKind);

RenderWallPaper::RenderWallPaper()
    : Render(new WallPaperProgram()), targetSize(DeviceProfile::get().targetSize) {}

WallPaperProgram* RenderWallPaper::wallPaperProgram() const {
    return static_cast<WallPaperProgram*>(program);
}

void RenderWallPaper::render() {
    if (gGlobals.mandalaModel == nullptr || program == nullptr) {
        return;
    }
    const MandalaInstance* instance = nullptr;
    for (const MandalaInstance* candidate : gGlobals.mandalaModel->instances) {
        if (candidate->kind == kind) {
            instance = candidate;
            break;
        }
    }
    if (instance == nullptr || instance->mesh == nullptr || instance->mesh->count == 0) {
        return;
    }

    WallPaperProgram& p = *wallPaperProgram();
    glBindBuffer(GL_ARRAY_BUFFER, instance->mesh->vbo);
    const float t = targetSize;
    p.use();
    p.projectionMatrix = WallPaperProgram::targetProjection(t);
    p.centringMatrix = WallPaperProgram::targetCentring(t);
    p.cameraMatrix = p.projectionMatrix * p.viewMatrix * p.centringMatrix;
    // Only the scale of the instance counts: the pattern origin goes to the
    // texture's centre whatever its pose.
    const float s = instance->layout.scale;
    const PVRTMat4 model = PVRTMat4::translation(0.5f * t, 0.5f * t, 1.5f * t) * PVRTMat4::scale(s, s, s);
    p.setDrawHeight(drawHeight);
    p.setModelMatrix(model.f);
    glDrawArrays(GL_TRIANGLES, 0, instance->mesh->count);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    p.unuse();
}

WallPaperRepaint wallPaperRepaint() {
    WallPaperRepaint repaint;
    repaint.pending = [] { return gGlobals.mandalaModel != nullptr && gGlobals.mandalaModel->changed; };
    repaint.clear = [] {
        if (gGlobals.mandalaModel != nullptr) {
            gGlobals.mandalaModel->changed = false;
        }
    };
    repaint.roomBuffer = [] {
        const RoomModel* room = gGlobals.roomModel;
        return room != nullptr && room->current != nullptr ? room->current->roomBuffer : 0;
    };
    repaint.aim = [](float drawHeight, int32_t kind) {
        if (auto* pass = dynamic_cast<RenderWallPaper*>(gGlobals.renderWallPaper)) {
            pass->drawHeight = drawHeight;
            pass->kind = kind;
        }
    };
    return repaint;
}

} // namespace ZQ
