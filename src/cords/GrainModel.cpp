#include "cords/GrainModel.h"

#include "cords/GrainEmitter.h"
#include "engine/Action.h"
#include "engine/Assert.h"

namespace ZQ {

GrainModel::~GrainModel() {
    deleteAll();
}

void GrainModel::tearDown() {
    deleteAll();
}

void GrainModel::deleteAll() {
    for (GrainEmitter* emitter : emitters) {
        emitter->release();
        delete emitter;
    }
    emitters.clear();
}

void GrainModel::doStep() {
    // A copy: stepping an emitter may not invalidate the walk when it is
    // removed from the list.
    const std::list<GrainEmitter*> current = emitters;
    for (GrainEmitter* emitter : current) {
        emitter->step();
        const Action* action = emitter->getAction();
        if (action == nullptr || action->isFinished()) {
            emitter->release();
            emitters.remove(emitter);
            delete emitter;
        }
    }
}

void GrainModel::getCloudlets(std::vector<Cloudlet*>& out) {
    out.insert(out.end(), emitters.begin(), emitters.end());
}

void GrainModel::addEmitter(GrainEmitter* emitter) {
    ZQ_ASSERT(emitter != nullptr);
    emitters.push_back(emitter);
}

} // namespace ZQ
