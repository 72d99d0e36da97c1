// The root of the toolkit's objects: a reference count and a type query by class name.
#pragma once

#include <atomic>
#include <cstring>

// Reference counted: a new object holds one reference; remember() adds one, forget() drops one and
// deletes the object with the last. The count is atomic because shared objects (the predefined font)
// may be used by editors of several instances on different threads.
class CBaseObject {
public:
    CBaseObject() = default;
    CBaseObject(const CBaseObject&) : CBaseObject() {}  // a copy starts with its own single reference
    CBaseObject& operator=(const CBaseObject&) = delete;
    virtual ~CBaseObject() = default;

    void remember() { references_.fetch_add(1, std::memory_order_relaxed); }
    void forget() {
        if (references_.fetch_sub(1, std::memory_order_acq_rel) <= 1) delete this;
    }
    int getNbReference() const { return references_.load(std::memory_order_relaxed); }

    // True when the object is of the named class or derives from it ("CView", "CControl", ...).
    virtual bool isTypeOf(const char* type) const { return std::strcmp(type, "CBaseObject") == 0; }

private:
    std::atomic<int> references_{1};
};
