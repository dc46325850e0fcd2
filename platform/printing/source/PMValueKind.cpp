// Value kinds and the rectangle's stored form.
#include "PMValueKind.h"

#include "PrintingTypeIDs.h"

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>

namespace orvo_pm {

bool IsKnownValueType(PMValueType inKind) {
    switch (inKind) {
    case kPMValueBoolean:
    case kPMValueData:
    case kPMValueString:
    case kPMValueSInt32:
    case kPMValueDouble:
    case kPMValuePMRect:
    case kPMValueDate:
    case kPMValueArray:
    case kPMValueDict:
    case kPMValueTicket:
        return true;
    default:
        return false;
    }
}

bool IsValueOfKind(CFTypeRef inValue, PMValueType inKind) {
    if (inValue == nullptr)
        return false;
    const CFTypeID type = CFGetTypeID(inValue);
    SInt32 integer = 0;
    double real = 0;
    PMRect rect{};
    switch (inKind) {
    case kPMValueBoolean:
        return type == CFBooleanGetTypeID();
    case kPMValueData:
        return type == CFDataGetTypeID();
    case kPMValueString:
        return type == CFStringGetTypeID();
    case kPMValueSInt32:
        return GetSInt32(inValue, integer);
    case kPMValueDouble:
        return GetDouble(inValue, real);
    case kPMValuePMRect:
        return GetRect(inValue, rect);
    case kPMValueDate:
        return type == CFDateGetTypeID();
    case kPMValueArray:
        return type == CFArrayGetTypeID();
    case kPMValueDict:
        return type == CFDictionaryGetTypeID();
    case kPMValueTicket:
        return type == kTypeIDTicket;
    default:
        return false;
    }
}

bool GetSInt32(CFTypeRef inValue, SInt32& outValue) {
    if (inValue == nullptr || CFGetTypeID(inValue) != CFNumberGetTypeID())
        return false;
    SInt32 value = 0;
    if (!CFNumberGetValue(static_cast<CFNumberRef>(inValue), kCFNumberSInt32Type, &value))
        return false;
    outValue = value;
    return true;
}

bool GetDouble(CFTypeRef inValue, double& outValue) {
    if (inValue == nullptr || CFGetTypeID(inValue) != CFNumberGetTypeID())
        return false;
    // Every number has a double value; a large integer rounds, which is what a reader of a
    // double asks for.
    CFNumberGetValue(static_cast<CFNumberRef>(inValue), kCFNumberFloat64Type, &outValue);
    return true;
}

bool GetRect(CFTypeRef inValue, PMRect& outRect) {
    if (inValue == nullptr || CFGetTypeID(inValue) != CFArrayGetTypeID())
        return false;
    CFArrayRef array = static_cast<CFArrayRef>(inValue);
    if (CFArrayGetCount(array) != 4)
        return false;
    double edges[4];
    for (CFIndex i = 0; i < 4; ++i) {
        if (!GetDouble(CFArrayGetValueAtIndex(array, i), edges[i]))
            return false;
    }
    outRect = PMRect{edges[0], edges[1], edges[2], edges[3]};
    return true;
}

CFTypeRef CreateSInt32Value(SInt32 inValue) {
    return CFNumberCreate(nullptr, kCFNumberSInt32Type, &inValue);
}

CFTypeRef CreateDoubleValue(double inValue) {
    return CFNumberCreate(nullptr, kCFNumberFloat64Type, &inValue);
}

CFTypeRef CreateRectValue(const PMRect& inRect) {
    const double edges[4] = {inRect.top, inRect.left, inRect.bottom, inRect.right};
    CFTypeRef numbers[4];
    for (int i = 0; i < 4; ++i)
        numbers[i] = CreateDoubleValue(edges[i]);
    CFArrayRef array = CFArrayCreate(nullptr, numbers, 4, &kCFTypeArrayCallBacks);
    for (CFTypeRef number : numbers)
        CFRelease(number);
    return array;
}

} // namespace orvo_pm
