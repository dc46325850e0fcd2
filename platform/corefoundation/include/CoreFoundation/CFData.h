// Byte strings.
#pragma once

#include <CoreFoundation/CFBase.h>

CFTypeID CFDataGetTypeID(void);
CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length);
CFDataRef CFDataCreateCopy(CFAllocatorRef allocator, CFDataRef theData);
CFMutableDataRef CFDataCreateMutable(CFAllocatorRef allocator, CFIndex capacity);
CFMutableDataRef CFDataCreateMutableCopy(CFAllocatorRef allocator, CFIndex capacity,
                                         CFDataRef theData);
CFIndex CFDataGetLength(CFDataRef theData);
// Null for an empty data object is not guaranteed: the pointer is valid for
// CFDataGetLength bytes and until the object is mutated or released.
const UInt8* CFDataGetBytePtr(CFDataRef theData);
UInt8* CFDataGetMutableBytePtr(CFMutableDataRef theData);
void CFDataGetBytes(CFDataRef theData, CFRange range, UInt8* buffer);
void CFDataSetLength(CFMutableDataRef theData, CFIndex length);
void CFDataIncreaseLength(CFMutableDataRef theData, CFIndex extraLength);
void CFDataAppendBytes(CFMutableDataRef theData, const UInt8* bytes, CFIndex length);
void CFDataReplaceBytes(CFMutableDataRef theData, CFRange range, const UInt8* newBytes,
                        CFIndex newLength);
void CFDataDeleteBytes(CFMutableDataRef theData, CFRange range);
