#pragma once
// The common base of everything that can be the sender of an event, and the event types shared by
// properties and the controls they bind.
//
// Properties and controls refer to each other without owning each other, and either side may be
// destroyed first (a page torn down before its document, a device object replaced under its page).
// Every tObject therefore carries a liveness token, and one side holds the other through a
// tObjectRef, which reads as null once the object it names has been destroyed.

#include <functional>
#include <memory>

// Anything that can appear as the sender of an event: property nodes and bindable controls.
class tObject {
public:
    tObject() = default;
    // A copy is another object with a liveness of its own.
    tObject(const tObject&) : tObject() {}
    tObject& operator=(const tObject&) { return *this; }
    virtual ~tObject() { *alive_ = false; }

    // Shared with whoever must notice this object's destruction: false from then on.
    std::shared_ptr<const bool> AliveToken() const { return alive_; }

private:
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// A non-owning reference to a tObject (or an interface derived from it) that becomes null when the
// object is destroyed, wherever that happens.
template <class T> class tObjectRef {
public:
    tObjectRef() = default;
    tObjectRef(T* object) // NOLINT(google-explicit-constructor): assigned from plain pointers
        : object_(object), alive_(object ? static_cast<const tObject*>(object)->AliveToken() : nullptr) {}

    T* get() const { return alive_ && *alive_ ? object_ : nullptr; }
    T* operator->() const { return get(); }
    explicit operator bool() const { return get() != nullptr; }
    bool operator==(const T* other) const { return get() == other; }

private:
    T* object_ = nullptr;
    std::shared_ptr<const bool> alive_;
};

// A single-handler notification, sender first.
using tNotifyEvent = std::function<void(tObject* sender)>;
