// One ink plane of a planar row: a byte buffer and a dictionary of values describing it
// (its compression method, for one).
#pragma once

#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>

namespace Tarvel {

class Plane {
public:
    // A zero-filled buffer of inByteSize bytes (none below 1 byte).
    explicit Plane(long inByteSize);
    // A private copy of inByteSize bytes of inData. With null data or a size below 1 the
    // plane holds no buffer but still reports the size. A negative size is taken as 0.
    Plane(const char* inData, long inByteSize);
    Plane(const Plane&) = delete;
    Plane& operator=(const Plane&) = delete;
    virtual ~Plane();

    const char* Get() const { return mPlane; }
    char* Get() { return mPlane; }
    long GetByteSize() const { return mPlaneByteSize; }

    // Stores a property value under a string key (both retained); a null value removes
    // the key.
    void SetValue(CFStringRef inKey, const void* inValue);
    // The value, or null when none was set.
    const void* GetValue(CFStringRef inKey) const;

private:
    char* mPlane;
    long mPlaneByteSize;
    CFMutableDictionaryRef mAssociatedValues;
};

} // namespace Tarvel
