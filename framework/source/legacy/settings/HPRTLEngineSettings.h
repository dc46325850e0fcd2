// The printer-language features of a job, read from the "HP-RTL" dictionary of the active
// engine settings (EngineSettings::Get()). Made on the stack wherever the features are
// needed; it keeps its own reference to the dictionary.
//
// A feature whose key is absent reads as false (or its documented default); a key that is
// present with a value of the wrong kind raises the dictionary accessor's error.
#pragma once

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>

namespace Tarvel {

class HPRTLEngineSettings {
public:
    explicit HPRTLEngineSettings(CFDictionaryRef inEngineSettings);
    ~HPRTLEngineSettings();
    HPRTLEngineSettings(const HPRTLEngineSettings&) = delete;
    HPRTLEngineSettings& operator=(const HPRTLEngineSettings&) = delete;

    // "Quality Supported".
    bool SupportsQuality() const;
    // "HP-PJL Supported".
    bool SupportsHPPJL() const;
    // Whether "Negative Motion/Buffer" is present at all, and its value.
    bool SupportsNegativeMotion() const;
    bool GetNegativeMotion() const;
    // "Quality" when the printer takes a quality command, else 100.
    SInt32 GetQuality() const;
    // "PCL3GUI Plane Format" and "PCL3GUI Media Type"; 0 when absent or not a number.
    SInt32 GetPCL3GUIPlaneFormat() const;
    SInt32 GetPCL3GUIMediaType() const;

    // The PJL variables of "HP-PJL Variables" when the printer takes PJL: two new arrays of
    // equal length (the caller releases both), names and, at the same index, values, in
    // the sorted order of the names so that every job header reads the same. Returns false
    // and leaves the arguments untouched when there are none or PJL is not supported.
    bool CopyHPPJLVariables(CFArrayRef& outNames, CFArrayRef& outSettings) const;

private:
    bool FeaturePresent(CFStringRef inFeatureName) const;
    bool FeatureStatus(CFStringRef inFeatureStatus) const;
    SInt32 GetIntegerOrZero(CFStringRef inKey) const;

    CFDictionaryRef mHPRTLSettings;
};

} // namespace Tarvel
