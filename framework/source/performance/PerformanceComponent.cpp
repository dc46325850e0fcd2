#include "performance/PerformanceComponent.h"

#include <CoreFoundation/CFNumber.h>

#include <cstdio>

namespace Tarvel {

const CFStringRef PerformanceComponent::kAttributes_Key = CFSTR("orvo.attributes");

PerformanceComponent::PerformanceComponent(CFStringRef inComponentName)
    : mComponentName(inComponentName),
      mComponentData(CFDictionaryCreateMutable(kCFAllocatorDefault, 0,
                                               &kCFTypeDictionaryKeyCallBacks,
                                               &kCFTypeDictionaryValueCallBacks)),
      mAttributeValues(CFDictionaryCreateMutable(kCFAllocatorDefault, 0,
                                                 &kCFTypeDictionaryKeyCallBacks,
                                                 &kCFTypeDictionaryValueCallBacks)) {
    CFDictionarySetValue(mComponentData, kAttributes_Key, mAttributeValues);
}

PerformanceComponent::~PerformanceComponent() {
    CFRelease(mAttributeValues);
    CFRelease(mComponentData);
}

CFStringRef PerformanceComponent::GetUniqueComponentName() const {
    return mComponentName;
}

CFDictionaryRef PerformanceComponent::GetComponentData() const {
    return mComponentData;
}

CFDictionaryRef PerformanceComponent::CopyComponentData() const {
    std::lock_guard<std::mutex> guard(mDataLock);
    CFMutableDictionaryRef copy =
        CFDictionaryCreateMutableCopy(kCFAllocatorDefault, 0, mComponentData);
    CFDictionaryRef attributes = CFDictionaryCreateCopy(kCFAllocatorDefault, mAttributeValues);
    CFDictionarySetValue(copy, kAttributes_Key, attributes);
    CFRelease(attributes);
    return copy;
}

void PerformanceComponent::SetIn(CFMutableDictionaryRef ioDictionary, CFStringRef inKey,
                                 CFTypeRef inValue) {
    if (inKey == nullptr)
        return;
    std::lock_guard<std::mutex> guard(mDataLock);
    if (inValue == nullptr)
        CFDictionaryRemoveValue(ioDictionary, inKey);
    else
        CFDictionarySetValue(ioDictionary, inKey, inValue);
}

void PerformanceComponent::SetPerformanceAttribute_CFString(CFStringRef inKey,
                                                            CFStringRef inValue) {
    SetIn(mAttributeValues, inKey, inValue);
}

void PerformanceComponent::SetPerformanceAttribute_SInt32(CFStringRef inKey, SInt32 inValue) {
    CFNumberRef number = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &inValue);
    SetIn(mAttributeValues, inKey, number);
    CFRelease(number);
}

void PerformanceComponent::SetPerformanceAttribute_CFAbsoluteTime(CFStringRef inKey,
                                                                  CFAbsoluteTime inTime) {
    CFTimeZoneRef zone = CFTimeZoneCopyDefault();
    const CFGregorianDate date = CFAbsoluteTimeGetGregorianDate(inTime, zone);
    if (zone != nullptr)
        CFRelease(zone);
    char text[96];
    std::snprintf(text, sizeof text, "%ld-%d-%d %d:%d:%lf", static_cast<long>(date.year),
                  date.month, date.day, date.hour, date.minute, date.second);
    CFStringRef value =
        CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingASCII);
    SetIn(mAttributeValues, inKey, value);
    if (value != nullptr)
        CFRelease(value);
}

void PerformanceComponent::SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFStringRef inKey) {
    SetPerformanceAttribute_CFAbsoluteTime(inKey, CFAbsoluteTimeGetCurrent());
}

void PerformanceComponent::SetPerformanceValue_SInt32(CFStringRef inKey, SInt32 inValue) {
    CFNumberRef number = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &inValue);
    SetIn(mComponentData, inKey, number);
    CFRelease(number);
}

void PerformanceComponent::SetPerformanceValue_CFString(CFStringRef inKey, CFStringRef inValue) {
    SetIn(mComponentData, inKey, inValue);
}

} // namespace Tarvel
