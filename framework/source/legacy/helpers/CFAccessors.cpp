#include "legacy/helpers/CFAccessors.h"

#include "legacy/exception/TarvelException.h"

#include <CoreFoundation/CFNumber.h>

namespace Tarvel {
namespace CFAccessors {

namespace {

// The messages of one accessor, in the order of its checks.
struct Messages {
    const char* dictionaryNull;
    const char* keyNull;
    const char* valueNull;
    const char* wrongKind;
};

// The value under inKey, of kind inTypeID, or raises the matching message.
CFTypeRef GetValueOfKind(CFDictionaryRef inDictionary, CFStringRef inKey, CFTypeID inTypeID,
                         const Messages& inMessages) {
    if (inDictionary == nullptr)
        TarvelException::Raise(inMessages.dictionaryNull);
    if (inKey == nullptr)
        TarvelException::Raise(inMessages.keyNull);
    CFTypeRef value = CFDictionaryGetValue(inDictionary, inKey);
    if (value == nullptr)
        TarvelException::Raise(inMessages.valueNull);
    if (CFGetTypeID(value) != inTypeID)
        TarvelException::Raise(inMessages.wrongKind);
    return value;
}

// Runs inRead; whatever error leaves it is preceded by the key and the dictionary on the
// standard error stream, then passed on unchanged.
template <class Read>
auto ShowKeyAndDictionaryOnError(CFDictionaryRef inDictionary, CFStringRef inKey, Read inRead)
    -> decltype(inRead()) {
    try {
        return inRead();
    } catch (...) {
        CFShow(CFSTR("Failed to find key: "));
        CFShow(inKey);
        CFShow(CFSTR("In dictionary:"));
        CFShow(inDictionary);
        throw;
    }
}

} // namespace

CFDictionaryRef GetDictionaryFromDictionary(CFDictionaryRef inDictionary, CFStringRef inKey) {
    static const Messages kMessages = {
        "GetDictionaryFromDictionary: inDictionary is null.",
        "GetDictionaryFromDictionary: inKey is null.",
        "GetDictionaryFromDictionary: Value is null.",
        "GetDictionaryFromDictionary: Value is not a dictionary.",
    };
    return ShowKeyAndDictionaryOnError(inDictionary, inKey, [&] {
        return static_cast<CFDictionaryRef>(
            GetValueOfKind(inDictionary, inKey, CFDictionaryGetTypeID(), kMessages));
    });
}

CFStringRef GetStringFromDictionary(CFDictionaryRef inDictionary, CFStringRef inKey) {
    static const Messages kMessages = {
        "GetStringFromDictionary: inDictionary is null.",
        "GetStringFromDictionary: inKey is null.",
        "GetStringFromDictionary: Value is null.",
        "GetStringFromDictionary: Value is not a string.",
    };
    return ShowKeyAndDictionaryOnError(inDictionary, inKey, [&] {
        return static_cast<CFStringRef>(
            GetValueOfKind(inDictionary, inKey, CFStringGetTypeID(), kMessages));
    });
}

CFArrayRef GetArrayFromDictionary(CFDictionaryRef inDictionary, CFStringRef inKey) {
    static const Messages kMessages = {
        "GetArrayFromDictionary: inDictionary is null.",
        "GetArrayFromDictionary: inKey is null.",
        "GetArrayFromDictionary: Value is null.",
        "GetArrayFromDictionary: Value is not an array.",
    };
    return ShowKeyAndDictionaryOnError(inDictionary, inKey, [&] {
        return static_cast<CFArrayRef>(
            GetValueOfKind(inDictionary, inKey, CFArrayGetTypeID(), kMessages));
    });
}

SInt32 GetSInt32FromDictionary(CFDictionaryRef inDictionary, CFStringRef inKey) {
    // The names and the wording of the last message are the driver's historical ones;
    // negative values are accepted.
    static const Messages kMessages = {
        "GetNumberFromDictionary: inDictionary is null.",
        "GetNumberFromDictionary: inKey is null.",
        "GetNumberFromDictionary: Value is null.",
        "GetNumberFromDictionary: Value is not a number.",
    };
    return ShowKeyAndDictionaryOnError(inDictionary, inKey, [&] {
        CFNumberRef number = static_cast<CFNumberRef>(
            GetValueOfKind(inDictionary, inKey, CFNumberGetTypeID(), kMessages));
        SInt32 value = 0;
        if (!CFNumberGetValue(number, kCFNumberSInt32Type, &value))
            TarvelException::Raise("GetNumberFromDictionary: Numeric information lost in "
                                   "conversion to unsigned integer.");
        return value;
    });
}

bool GetBooleanFromDictionary(CFDictionaryRef inDictionary, CFStringRef inKey) {
    static const Messages kMessages = {
        "GetBooleanFromDictionary: inDictionary is null.",
        "GetBooleanFromDictionary: inKey is null.",
        "GetBooleanFromDictionary: Value is null.",
        "GetBooleanFromDictionary: Value is not a number.",
    };
    return ShowKeyAndDictionaryOnError(inDictionary, inKey, [&] {
        CFBooleanRef boolean = static_cast<CFBooleanRef>(
            GetValueOfKind(inDictionary, inKey, CFBooleanGetTypeID(), kMessages));
        return CFBooleanGetValue(boolean) != 0;
    });
}

Float32 GetFloatFromDictionary(CFDictionaryRef inDictionary, CFStringRef inKey) {
    static const Messages kMessages = {
        "GetFloatFromDictionary: inDictionary is null.",
        "GetFloatFromDictionary: inKey is null.",
        "GetFloatFromDictionary: Value is null.",
        "GetFloatFromDictionary: Value is not a number.",
    };
    return ShowKeyAndDictionaryOnError(inDictionary, inKey, [&] {
        CFNumberRef number = static_cast<CFNumberRef>(
            GetValueOfKind(inDictionary, inKey, CFNumberGetTypeID(), kMessages));
        Float32 value = 0.0f;
        // Never an error: a real is rounded to the nearest float.
        CFNumberGetValue(number, kCFNumberFloat32Type, &value);
        return value;
    });
}

} // namespace CFAccessors
} // namespace Tarvel
