// Base types of the platform's property-list value model: reference-counted objects
// with a type identifier, deep equality, hashing and readable descriptions.
#pragma once

#include <cstddef>
#include <cstdint>

typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;
typedef float Float32;
typedef double Float64;
typedef unsigned char Boolean;
typedef uint16_t UniChar;
typedef uint32_t UTF32Char;

typedef long CFIndex;
typedef unsigned long CFTypeID;
typedef unsigned long CFHashCode;
typedef unsigned long CFOptionFlags;

typedef const void* CFTypeRef;
typedef const struct __CFAllocator* CFAllocatorRef;
typedef const struct __CFString* CFStringRef;
typedef struct __CFString* CFMutableStringRef;
typedef const struct __CFBoolean* CFBooleanRef;
typedef const struct __CFNumber* CFNumberRef;
typedef const struct __CFData* CFDataRef;
typedef struct __CFData* CFMutableDataRef;
typedef const struct __CFArray* CFArrayRef;
typedef struct __CFArray* CFMutableArrayRef;
typedef const struct __CFDictionary* CFDictionaryRef;
typedef struct __CFDictionary* CFMutableDictionaryRef;
typedef const struct __CFDate* CFDateRef;
typedef const struct __CFURL* CFURLRef;
typedef const struct __CFUUID* CFUUIDRef;
typedef struct __CFBundle* CFBundleRef;
typedef CFTypeRef CFPropertyListRef;

enum : CFIndex { kCFNotFound = -1 };

typedef CFIndex CFComparisonResult;
enum : CFIndex {
    kCFCompareLessThan = -1,
    kCFCompareEqualTo = 0,
    kCFCompareGreaterThan = 1,
};

struct CFRange {
    CFIndex location;
    CFIndex length;
};
inline CFRange CFRangeMake(CFIndex location, CFIndex length) {
    return CFRange{location, length};
}

// Allocators exist only so that calls read as on the host platform: every allocator is
// the C++ heap, and null means the default.
extern const CFAllocatorRef kCFAllocatorDefault;
extern const CFAllocatorRef kCFAllocatorSystemDefault;
extern const CFAllocatorRef kCFAllocatorNull;

// Retains an object and returns it. Null is tolerated (returns null).
CFTypeRef CFRetain(CFTypeRef cf);
// Releases one reference; the object is destroyed when the last one goes. Null is tolerated.
void CFRelease(CFTypeRef cf);
CFIndex CFGetRetainCount(CFTypeRef cf);

CFTypeID CFGetTypeID(CFTypeRef cf);
// Deep, exact equality: strings case-sensitively, numbers by value across integer and
// real storage, containers element by element. Two nulls are equal; null and an object
// are not.
Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2);
// Consistent with CFEqual.
CFHashCode CFHash(CFTypeRef cf);

// A readable, multi-line description of any value; "(null)" for null.
CFStringRef CFCopyDescription(CFTypeRef cf);
CFStringRef CFCopyTypeIDDescription(CFTypeID type_id);
// Writes the description of a value and a newline to the standard error stream. A
// string is written as its characters alone.
void CFShow(CFTypeRef obj);
