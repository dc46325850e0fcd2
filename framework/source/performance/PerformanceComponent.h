// Something in a page's pipeline that can be observed: a unique name and a dictionary of
// figures, with its attributes (start and end times and the like) in a nested dictionary
// under "orvo.attributes".
#pragma once

#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>

#include <mutex>

namespace Tarvel {

class PerformanceComponent {
public:
    // The name is a constant string, neither retained nor released.
    explicit PerformanceComponent(CFStringRef inComponentName);
    PerformanceComponent(const PerformanceComponent&) = delete;
    PerformanceComponent& operator=(const PerformanceComponent&) = delete;
    virtual ~PerformanceComponent();

    virtual CFStringRef GetUniqueComponentName() const;
    // Publishes the owner's current figures as values of the component data.
    virtual void UpdateComponentDetails() = 0;

    // The live component data. Only for a reader that knows no other thread writes the
    // component at the same time; a sampler takes CopyComponentData instead.
    CFDictionaryRef GetComponentData() const;
    // A snapshot of the component data (its attribute dictionary copied as well), taken
    // under the component's lock; the caller releases it.
    CFDictionaryRef CopyComponentData() const;

    void SetPerformanceAttribute_CFString(CFStringRef inKey, CFStringRef inValue);
    void SetPerformanceAttribute_SInt32(CFStringRef inKey, SInt32 inValue);
    // Stores the time as Gregorian text in the default time zone:
    // "%ld-%d-%d %d:%d:%lf" (year-month-day hour:minute:seconds).
    void SetPerformanceAttribute_CFAbsoluteTime(CFStringRef inKey, CFAbsoluteTime inTime);
    void SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFStringRef inKey);

    void SetPerformanceValue_SInt32(CFStringRef inKey, SInt32 inValue);
    void SetPerformanceValue_CFString(CFStringRef inKey, CFStringRef inValue);

    static const CFStringRef kAttributes_Key; // "orvo.attributes"

private:
    void SetIn(CFMutableDictionaryRef ioDictionary, CFStringRef inKey, CFTypeRef inValue);

    CFStringRef mComponentName;
    CFMutableDictionaryRef mComponentData;
    CFMutableDictionaryRef mAttributeValues;
    // Serialises the owner's writes with a sampler's snapshots: stage threads write
    // attributes while the sampling thread copies the same dictionaries.
    mutable std::mutex mDataLock;
};

} // namespace Tarvel
