#include "legacy/helpers/StCFRetainer.h"

namespace Tarvel {

StCFRetainer::StCFRetainer(const void* inCFTypeToRetain, bool inNullOnRelease)
    : mCFRetainedObject(CFRetain(inCFTypeToRetain)), mNullOnRelease(inNullOnRelease) {}

StCFRetainer::~StCFRetainer() {
    if (mCFRetainedObject == nullptr)
        return;
    CFRelease(mCFRetainedObject);
    // A volatile store: the object's lifetime ends here, and an ordinary store to a dying
    // object is one the compiler may drop.
    if (mNullOnRelease)
        *static_cast<volatile CFTypeRef*>(&mCFRetainedObject) = nullptr;
}

} // namespace Tarvel
