// Property lists: reading and writing the XML form, and deep copies.
#include <CoreFoundation/CFPropertyList.h>

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/CFString.h>

#include "XMLPropertyListReader.h"
#include "XMLPropertyListWriter.h"

#include <string>
#include <vector>

using namespace orvo_cf;

namespace {

constexpr CFOptionFlags kMutableContainers =
    kCFPropertyListMutableContainers | kCFPropertyListMutableContainersAndLeaves;

// A new reference to a copy of the value, or null when it (or anything inside it) is not a
// property-list value or it nests deeper than kCFPropertyListMaxDepth.
CFTypeRef CreateDeepCopy(CFTypeRef inValue, CFOptionFlags inMutability, CFIndex inDepth) {
    if (inValue == nullptr)
        return nullptr;
    const CFTypeID type = CFGetTypeID(inValue);
    const bool mutableLeaves = inMutability & kCFPropertyListMutableContainersAndLeaves;
    if (type == CFStringGetTypeID()) {
        CFStringRef string = static_cast<CFStringRef>(inValue);
        return mutableLeaves ? CFStringCreateMutableCopy(nullptr, 0, string)
                             : CFStringCreateCopy(nullptr, string);
    }
    if (type == CFDataGetTypeID()) {
        CFDataRef data = static_cast<CFDataRef>(inValue);
        return mutableLeaves ? CFDataCreateMutableCopy(nullptr, 0, data)
                             : CFDataCreateCopy(nullptr, data);
    }
    if (type == CFNumberGetTypeID() || type == CFBooleanGetTypeID() || type == CFDateGetTypeID())
        return CFRetain(inValue);
    if (inDepth >= kCFPropertyListMaxDepth)
        return nullptr;

    if (type == CFArrayGetTypeID()) {
        CFArrayRef array = static_cast<CFArrayRef>(inValue);
        CFMutableArrayRef copy = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
        for (CFIndex i = 0, count = CFArrayGetCount(array); i < count; ++i) {
            CFTypeRef element =
                CreateDeepCopy(CFArrayGetValueAtIndex(array, i), inMutability, inDepth + 1);
            if (element == nullptr) {
                CFRelease(copy);
                return nullptr;
            }
            CFArrayAppendValue(copy, element);
            CFRelease(element);
        }
        if (inMutability & kMutableContainers)
            return copy;
        CFArrayRef immutable = CFArrayCreateCopy(nullptr, copy);
        CFRelease(copy);
        return immutable;
    }
    if (type == CFDictionaryGetTypeID()) {
        CFDictionaryRef dictionary = static_cast<CFDictionaryRef>(inValue);
        const CFIndex count = CFDictionaryGetCount(dictionary);
        std::vector<const void*> keys(static_cast<size_t>(count)), values(keys.size());
        CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
        CFMutableDictionaryRef copy = CFDictionaryCreateMutable(
            nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
        for (size_t i = 0; i < size_t(count); ++i) {
            CFTypeRef value = nullptr;
            // Keys stay immutable strings whatever the option.
            CFTypeRef key = CFGetTypeID(keys[i]) == CFStringGetTypeID()
                                ? CFStringCreateCopy(nullptr, static_cast<CFStringRef>(keys[i]))
                                : nullptr;
            if (key != nullptr)
                value = CreateDeepCopy(values[i], inMutability, inDepth + 1);
            if (value == nullptr) {
                CFRelease(key);
                CFRelease(copy);
                return nullptr;
            }
            CFDictionarySetValue(copy, key, value);
            CFRelease(key);
            CFRelease(value);
        }
        if (inMutability & kMutableContainers)
            return copy;
        CFDictionaryRef immutable = CFDictionaryCreateCopy(nullptr, copy);
        CFRelease(copy);
        return immutable;
    }
    return nullptr;
}

} // namespace

CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef, CFDataRef xmlData,
                                                  CFOptionFlags mutabilityOption,
                                                  CFStringRef* errorString) {
    // No data reads as an empty document, which is an error like any other.
    const UInt8* bytes = xmlData != nullptr ? CFDataGetBytePtr(xmlData) : nullptr;
    const size_t length = xmlData != nullptr ? size_t(CFDataGetLength(xmlData)) : 0;
    std::string error;
    XMLPropertyListReader reader(mutabilityOption);
    CFPropertyListRef result = reader.Read(bytes, length, error);
    if (result == nullptr && errorString != nullptr)
        *errorString = CreateStringFromUTF8(error);
    return result;
}

CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef, CFPropertyListRef propertyList) {
    std::string xml, problem;
    XMLPropertyListWriter writer;
    if (!writer.Write(propertyList, xml, problem)) {
        ReportMisuse("CFPropertyListCreateXMLData", ("no XML form for " + problem).c_str());
        return nullptr;
    }
    return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(xml.data()), CFIndex(xml.size()));
}

CFPropertyListRef CFPropertyListCreateDeepCopy(CFAllocatorRef, CFPropertyListRef propertyList,
                                               CFOptionFlags mutabilityOption) {
    return CreateDeepCopy(propertyList, mutabilityOption, 0);
}
