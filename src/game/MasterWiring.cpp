#include "game/MasterWiring.h"

namespace ZQ {

MasterWiring gameWiring() {
    MasterWiring wiring;
    return wiring;
}

} // namespace ZQ
