// UUIDs: 128-bit identifiers, written in the canonical 8-4-4-4-12 hexadecimal form.
#pragma once

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFString.h>

struct CFUUIDBytes {
    UInt8 byte0, byte1, byte2, byte3, byte4, byte5, byte6, byte7;
    UInt8 byte8, byte9, byte10, byte11, byte12, byte13, byte14, byte15;
};

CFTypeID CFUUIDGetTypeID(void);

// A new random UUID (version 4, RFC 4122 variant) from the system's random source.
CFUUIDRef CFUUIDCreate(CFAllocatorRef alloc);
// Parses the canonical form "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (hexadecimal digits in
// either case). Anything else (braces, missing or extra digits, other separators,
// surrounding space) yields null.
CFUUIDRef CFUUIDCreateFromString(CFAllocatorRef alloc, CFStringRef uuidStr);
// The canonical form in upper case.
CFStringRef CFUUIDCreateString(CFAllocatorRef alloc, CFUUIDRef uuid);
CFUUIDRef CFUUIDCreateWithBytes(CFAllocatorRef alloc, UInt8 byte0, UInt8 byte1, UInt8 byte2,
                                UInt8 byte3, UInt8 byte4, UInt8 byte5, UInt8 byte6, UInt8 byte7,
                                UInt8 byte8, UInt8 byte9, UInt8 byte10, UInt8 byte11, UInt8 byte12,
                                UInt8 byte13, UInt8 byte14, UInt8 byte15);
CFUUIDRef CFUUIDCreateFromUUIDBytes(CFAllocatorRef alloc, CFUUIDBytes bytes);
// A process-lifetime constant: the same object for the same bytes on every call, never
// released (retain and release are ignored). Safe from any thread.
CFUUIDRef CFUUIDGetConstantUUIDWithBytes(CFAllocatorRef alloc, UInt8 byte0, UInt8 byte1,
                                         UInt8 byte2, UInt8 byte3, UInt8 byte4, UInt8 byte5,
                                         UInt8 byte6, UInt8 byte7, UInt8 byte8, UInt8 byte9,
                                         UInt8 byte10, UInt8 byte11, UInt8 byte12, UInt8 byte13,
                                         UInt8 byte14, UInt8 byte15);
// The bytes of a UUID; all zero for null.
CFUUIDBytes CFUUIDGetUUIDBytes(CFUUIDRef uuid);
