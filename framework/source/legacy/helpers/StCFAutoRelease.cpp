#include "legacy/helpers/StCFAutoRelease.h"

namespace Tarvel {

StCFAutoRelease::StCFAutoRelease(const void* inCFTypeToRelease)
    : mCFReleaseObject(inCFTypeToRelease) {}

StCFAutoRelease::~StCFAutoRelease() {
    if (mCFReleaseObject != nullptr)
        CFRelease(mCFReleaseObject);
}

} // namespace Tarvel
