// Basic Carbon types and the result codes of the Carbon calls the driver makes.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef SInt16 OSErr;
typedef SInt32 OSStatus;
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef FourCharCode ResType;
typedef long Size;
typedef char* Ptr;
typedef Ptr* Handle;

// Result codes.
enum : OSErr {
    noErr = 0,
    paramErr = -50,                  // an argument is out of range or null
    memFullErr = -108,               // not enough memory, or a block cannot grow in place
    nilHandleErr = -109,             // a null pointer or handle was passed
    memWZErr = -111,                 // the pointer is not a live memory block
    gestaltUndefSelectorErr = -5551, // the selector is unknown or cannot be answered
};
