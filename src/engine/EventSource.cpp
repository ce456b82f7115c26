#include "engine/EventSource.h"

#include "engine/Log.h"

namespace ZQ {

void EventSource::addListener(EventListener* listener) {
    if (listener == nullptr) {
        platformLog("evtLst==NULL");
        return;
    }
    listeners.push_back(listener);
}

void EventSource::removeListener(EventListener* listener) {
    listeners.remove(listener);
}

void EventSource::removeAllListeners() {
    listeners.clear();
}

} // namespace ZQ
