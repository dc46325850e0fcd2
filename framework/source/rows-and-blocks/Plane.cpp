#include "rows-and-blocks/Plane.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace Tarvel {

Plane::Plane(long inByteSize)
    : mPlane(nullptr), mPlaneByteSize(inByteSize < 0 ? 0 : inByteSize), mAssociatedValues(nullptr) {
    if (mPlaneByteSize > 0) {
        mPlane = static_cast<char*>(std::calloc(static_cast<size_t>(mPlaneByteSize), 1));
        if (mPlane == nullptr)
            throw std::bad_alloc();
    }
}

Plane::Plane(const char* inData, long inByteSize)
    : mPlane(nullptr), mPlaneByteSize(inByteSize < 0 ? 0 : inByteSize), mAssociatedValues(nullptr) {
    if (inData != nullptr && mPlaneByteSize > 0) {
        mPlane = static_cast<char*>(std::malloc(static_cast<size_t>(mPlaneByteSize)));
        if (mPlane == nullptr)
            throw std::bad_alloc();
        std::memcpy(mPlane, inData, static_cast<size_t>(mPlaneByteSize));
    }
}

Plane::~Plane() {
    std::free(mPlane);
    if (mAssociatedValues != nullptr)
        CFRelease(mAssociatedValues);
}

void Plane::SetValue(CFStringRef inKey, const void* inValue) {
    if (inKey == nullptr)
        return;
    if (inValue == nullptr) {
        if (mAssociatedValues != nullptr)
            CFDictionaryRemoveValue(mAssociatedValues, inKey);
        return;
    }
    if (mAssociatedValues == nullptr)
        mAssociatedValues =
            CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks,
                                      &kCFTypeDictionaryValueCallBacks);
    CFDictionarySetValue(mAssociatedValues, inKey, inValue);
}

const void* Plane::GetValue(CFStringRef inKey) const {
    if (mAssociatedValues == nullptr || inKey == nullptr)
        return nullptr;
    return CFDictionaryGetValue(mAssociatedValues, inKey);
}

} // namespace Tarvel
