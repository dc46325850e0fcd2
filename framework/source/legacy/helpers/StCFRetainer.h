// Holds its own reference to a platform object for the length of a scope.
#pragma once

#include <CoreFoundation/CFBase.h>

namespace Tarvel {

class StCFRetainer {
public:
    // Retains inCFTypeToRetain, which callers check for null first (a null object is
    // held as null and nothing is retained or released). With inNullOnRelease the field
    // is cleared when the reference is given up, leaving no stale reference behind.
    StCFRetainer(const void* inCFTypeToRetain, bool inNullOnRelease);
    ~StCFRetainer();
    StCFRetainer(const StCFRetainer&) = delete;
    StCFRetainer& operator=(const StCFRetainer&) = delete;

    CFTypeRef GetTypeRef() const { return mCFRetainedObject; }
    // The held object as a bundle, for holders of a printer bundle.
    CFBundleRef GetBundleRef() const {
        return static_cast<CFBundleRef>(const_cast<void*>(mCFRetainedObject));
    }

private:
    CFTypeRef mCFRetainedObject;
    bool mNullOnRelease;
};

} // namespace Tarvel
