#pragma once

#include "engine/EventListener.h"

#include <list>

namespace ZQ {

// A list of listeners, in registration order. notify walks a copy of the list,
// which is what makes it safe for a listener to add or remove listeners
// (itself included) from inside a notification: who is called is fixed when
// the notification starts. Main thread only.
class EventSource {
public:
    virtual ~EventSource() = default;

    // A null listener is logged and refused: calling it later would crash.
    virtual void addListener(EventListener* listener);
    // Removes every occurrence; an absent listener is no error.
    virtual void removeListener(EventListener* listener);
    virtual void removeAllListeners();

    // Calls one listener operation on every listener, for example
    // notify(&EventListener::onSolved) or notify(&EventListener::onTile, id).
    template <class... Params, class... Args>
    void notify(void (EventListener::*operation)(Params...), Args... args) {
        const std::list<EventListener*> snapshot = listeners;
        for (EventListener* listener : snapshot) {
            (listener->*operation)(args...);
        }
    }

    const std::list<EventListener*>& getListeners() const { return listeners; }

private:
    std::list<EventListener*> listeners;
};

} // namespace ZQ
