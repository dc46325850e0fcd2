// Numbers (integer or real storage) and the two Boolean constants.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef CFIndex CFNumberType;
enum : CFIndex {
    kCFNumberSInt8Type = 1,
    kCFNumberSInt16Type = 2,
    kCFNumberSInt32Type = 3,
    kCFNumberSInt64Type = 4,
    kCFNumberFloat32Type = 5,
    kCFNumberFloat64Type = 6,
    kCFNumberCharType = 7,
    kCFNumberShortType = 8,
    kCFNumberIntType = 9,
    kCFNumberLongType = 10,
    kCFNumberLongLongType = 11,
    kCFNumberFloatType = 12,
    kCFNumberDoubleType = 13,
    kCFNumberCFIndexType = 14,
    kCFNumberNSIntegerType = 15,
    kCFNumberCGFloatType = 16,
    kCFNumberMaxType = 16,
};

CFTypeID CFNumberGetTypeID(void);
// Integer types are stored as 64-bit integers, the float types as 64-bit reals. Null for
// an unknown type or a null value pointer.
CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType theType, const void* valuePtr);
// The type the number was stored as: kCFNumberSInt64Type or kCFNumberFloat64Type.
CFNumberType CFNumberGetType(CFNumberRef number);
CFIndex CFNumberGetByteSize(CFNumberRef number);
Boolean CFNumberIsFloatType(CFNumberRef number);
// Converts to the requested type and reports whether the conversion was exact: a real
// with a fraction or a value out of the type's range is inexact (the value written is the
// truncated or saturated one); an integer that a float type represents exactly is exact.
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr);
CFComparisonResult CFNumberCompare(CFNumberRef number, CFNumberRef otherNumber, void* context);

CFTypeID CFBooleanGetTypeID(void);
extern const CFBooleanRef kCFBooleanTrue;
extern const CFBooleanRef kCFBooleanFalse;
Boolean CFBooleanGetValue(CFBooleanRef boolean);
