#pragma once
// The common base of everything that can be the sender of an event, and the event types shared by
// properties and the controls they bind.

#include <functional>

// Anything that can appear as the sender of an event: property nodes and bindable controls.
class tObject {
public:
    virtual ~tObject() = default;
};

// A single-handler notification, sender first.
using tNotifyEvent = std::function<void(tObject* sender)>;
