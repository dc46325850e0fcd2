#include "legacy/settings/HPRTLEngineSettings.h"

#include "legacy/exception/TarvelException.h"
#include "legacy/helpers/CFAccessors.h"

#include <CoreFoundation/CFNumber.h>

#include <algorithm>
#include <vector>

namespace Tarvel {

namespace {

const CFStringRef kHPRTL_Key = CFSTR("HP-RTL");
const CFStringRef kQualitySupported_Key = CFSTR("Quality Supported");
const CFStringRef kQuality_Key = CFSTR("Quality");
const CFStringRef kHPPJLSupported_Key = CFSTR("HP-PJL Supported");
const CFStringRef kHPPJLVariables_Key = CFSTR("HP-PJL Variables");
const CFStringRef kNegativeMotion_Key = CFSTR("Negative Motion/Buffer");
const CFStringRef kPCL3GUIPlaneFormat_Key = CFSTR("PCL3GUI Plane Format");
const CFStringRef kPCL3GUIMediaType_Key = CFSTR("PCL3GUI Media Type");

constexpr SInt32 kDefaultQuality = 100;

// Orders string keys by their characters; other keys (never written by a description
// file) go first, in no particular order.
bool KeyPrecedes(const void* inLeft, const void* inRight) {
    bool leftIsString = CFGetTypeID(inLeft) == CFStringGetTypeID();
    bool rightIsString = CFGetTypeID(inRight) == CFStringGetTypeID();
    if (leftIsString != rightIsString)
        return rightIsString;
    if (!leftIsString)
        return false;
    return CFStringCompare(static_cast<CFStringRef>(inLeft), static_cast<CFStringRef>(inRight),
                           0) == kCFCompareLessThan;
}

} // namespace

HPRTLEngineSettings::HPRTLEngineSettings(CFDictionaryRef inEngineSettings)
    : mHPRTLSettings(nullptr) {
    if (inEngineSettings == nullptr)
        TarvelException::Raise("Engine settings are null.");
    CFTypeRef settings = CFDictionaryGetValue(inEngineSettings, kHPRTL_Key);
    if (settings == nullptr)
        TarvelException::Raise("HP-RTL settings are null.");
    if (CFGetTypeID(settings) != CFDictionaryGetTypeID())
        TarvelException::Raise("HP-RTL settings are not a dictionary.");
    mHPRTLSettings = static_cast<CFDictionaryRef>(CFRetain(settings));
}

HPRTLEngineSettings::~HPRTLEngineSettings() {
    CFRelease(mHPRTLSettings);
}

bool HPRTLEngineSettings::FeaturePresent(CFStringRef inFeatureName) const {
    return CFDictionaryContainsKey(mHPRTLSettings, inFeatureName);
}

bool HPRTLEngineSettings::FeatureStatus(CFStringRef inFeatureStatus) const {
    if (!FeaturePresent(inFeatureStatus))
        return false;
    return CFAccessors::GetBooleanFromDictionary(mHPRTLSettings, inFeatureStatus);
}

bool HPRTLEngineSettings::SupportsQuality() const {
    return FeatureStatus(kQualitySupported_Key);
}

bool HPRTLEngineSettings::SupportsHPPJL() const {
    return FeatureStatus(kHPPJLSupported_Key);
}

bool HPRTLEngineSettings::SupportsNegativeMotion() const {
    return FeaturePresent(kNegativeMotion_Key);
}

bool HPRTLEngineSettings::GetNegativeMotion() const {
    return FeatureStatus(kNegativeMotion_Key);
}

SInt32 HPRTLEngineSettings::GetQuality() const {
    if (!SupportsQuality())
        return kDefaultQuality;
    return CFAccessors::GetSInt32FromDictionary(mHPRTLSettings, kQuality_Key);
}

SInt32 HPRTLEngineSettings::GetIntegerOrZero(CFStringRef inKey) const {
    CFTypeRef value = CFDictionaryGetValue(mHPRTLSettings, inKey);
    SInt32 result = 0;
    if (value != nullptr && CFGetTypeID(value) == CFNumberGetTypeID())
        CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt32Type, &result);
    return result;
}

SInt32 HPRTLEngineSettings::GetPCL3GUIPlaneFormat() const {
    return GetIntegerOrZero(kPCL3GUIPlaneFormat_Key);
}

SInt32 HPRTLEngineSettings::GetPCL3GUIMediaType() const {
    return GetIntegerOrZero(kPCL3GUIMediaType_Key);
}

bool HPRTLEngineSettings::CopyHPPJLVariables(CFArrayRef& outNames, CFArrayRef& outSettings) const {
    if (!FeaturePresent(kHPPJLVariables_Key) || !SupportsHPPJL())
        return false;
    CFDictionaryRef variables =
        CFAccessors::GetDictionaryFromDictionary(mHPRTLSettings, kHPPJLVariables_Key);

    CFIndex count = CFDictionaryGetCount(variables);
    std::vector<const void*> keys(static_cast<size_t>(count));
    if (count > 0)
        CFDictionaryGetKeysAndValues(variables, keys.data(), nullptr);
    std::sort(keys.begin(), keys.end(), KeyPrecedes);

    CFMutableArrayRef names = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    if (names == nullptr)
        TarvelException::Raise("CopyHPPJLVariables: Unable to create a names array.");
    CFMutableArrayRef settings = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
    if (settings == nullptr) {
        CFRelease(names);
        TarvelException::Raise("CopyHPPJLVariables: Unable to create a settings array.");
    }
    for (const void* key : keys) {
        const void* value = CFDictionaryGetValue(variables, key);
        if (key == nullptr || value == nullptr)
            continue;
        CFArrayAppendValue(names, key);
        CFArrayAppendValue(settings, value);
    }
    outNames = names;
    outSettings = settings;
    return true;
}

} // namespace Tarvel
