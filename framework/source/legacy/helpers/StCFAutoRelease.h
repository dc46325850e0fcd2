// Takes over a reference the caller owns and releases it at the end of the scope.
#pragma once

#include <CoreFoundation/CFBase.h>

namespace Tarvel {

class StCFAutoRelease {
public:
    // Adds no reference of its own; null is accepted and released never.
    explicit StCFAutoRelease(const void* inCFTypeToRelease);
    ~StCFAutoRelease();
    StCFAutoRelease(const StCFAutoRelease&) = delete;
    StCFAutoRelease& operator=(const StCFAutoRelease&) = delete;

private:
    CFTypeRef mCFReleaseObject;
};

} // namespace Tarvel
