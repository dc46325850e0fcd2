// Typed reads of one value from a dictionary. Each accessor returns the value stored under
// exactly inKey, or raises (TarvelException::Raise) when the dictionary or key is null, the
// key has no value, or the value is of another kind; before the exception leaves, the key
// and the dictionary are written to the standard error stream. No accessor returns a
// default: callers that want one catch the exception.
#pragma once

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>

namespace Tarvel {
namespace CFAccessors {

// Borrowed from inDictionary.
CFDictionaryRef GetDictionaryFromDictionary(CFDictionaryRef inDictionary, CFStringRef inKey);
// Borrowed from inDictionary.
CFStringRef GetStringFromDictionary(CFDictionaryRef inDictionary, CFStringRef inKey);
// Borrowed from inDictionary.
CFArrayRef GetArrayFromDictionary(CFDictionaryRef inDictionary, CFStringRef inKey);
// A number that converts exactly to a signed 32-bit integer (a fraction or a value out of
// range is an error).
SInt32 GetSInt32FromDictionary(CFDictionaryRef inDictionary, CFStringRef inKey);
// A Boolean value (a number is refused).
bool GetBooleanFromDictionary(CFDictionaryRef inDictionary, CFStringRef inKey);
// Any number, converted to a 32-bit float.
Float32 GetFloatFromDictionary(CFDictionaryRef inDictionary, CFStringRef inKey);

} // namespace CFAccessors
} // namespace Tarvel
