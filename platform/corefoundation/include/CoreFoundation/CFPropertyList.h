// XML property lists (the PropertyList-1.0 document type) read into values and written
// back out.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef CFOptionFlags CFPropertyListMutabilityOptions;
enum : CFOptionFlags {
    kCFPropertyListImmutable = 0,
    kCFPropertyListMutableContainers = 1,
    kCFPropertyListMutableContainersAndLeaves = 2,
};

// Parses an XML property list. On malformed input returns null and, when errorString is
// not null, stores a new string (released by the caller) describing the fault and its
// line. Containers nest at most kCFPropertyListMaxDepth deep.
enum : CFIndex { kCFPropertyListMaxDepth = 512 };
CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef allocator, CFDataRef xmlData,
                                                  CFOptionFlags mutabilityOption,
                                                  CFStringRef* errorString);
// Writes the standard XML form: header, DOCTYPE, tab indentation, dictionary keys in
// sorted order. Null when the value is not a property list (a non-string key, a kind
// without an XML form).
CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef allocator, CFPropertyListRef propertyList);
CFPropertyListRef CFPropertyListCreateDeepCopy(CFAllocatorRef allocator,
                                               CFPropertyListRef propertyList,
                                               CFOptionFlags mutabilityOption);
