#include "legacy/settings/EngineSettings.h"

#include "legacy/exception/TarvelException.h"
#include "legacy/helpers/CFAccessors.h"

#include <CoreFoundation/CFNumber.h>

#include <vector>

namespace Tarvel {

namespace {

const CFStringRef kBase_Key = CFSTR("orvo.engine.base");
const CFStringRef kOverlays_Key = CFSTR("orvo.engine.overlays");
const CFStringRef kTemplate_Key = CFSTR("orvo.engine.template");

const CFStringRef kPrinterLanguages_Key = CFSTR("Printer Languages");
const CFStringRef kPrimary_Key = CFSTR("Primary");
const CFStringRef kSupported_Key = CFSTR("Supported");
const CFStringRef kDitheringAlgorithm_Key = CFSTR("Dithering Algorithm");
const CFStringRef kColourAdjustment_Key = CFSTR("Colour Adjustment");
const CFStringRef kSelected_Key = CFSTR("Selected");
const CFStringRef kSettings_Key = CFSTR("Settings");
const CFStringRef kGamma_Key = CFSTR("Gamma");
const CFStringRef kGammaMultiplier_Key = CFSTR("Gamma Multiplier");
const CFStringRef kColourSyncProfileIndex_Key = CFSTR("ColorSync Profile Index");
const CFStringRef kLinearisationProfile_Key = CFSTR("Linearisation Profile");
const CFStringRef kColourspace_Key = CFSTR("Colourspace");
const CFStringRef kResolution_Key = CFSTR("Resolution");
const CFStringRef kHorizontal_Key = CFSTR("Horizontal");
const CFStringRef kVertical_Key = CFSTR("Vertical");
const CFStringRef kPixelExpansionMultiplier_Key = CFSTR("Pixel Expansion Multiplier");
const CFStringRef kSaturationAdjustment_Key = CFSTR("Saturation Adjustment");
const CFStringRef kBandingAllocation_Key = CFSTR("Banding Allocation");
const CFStringRef kSupportedCompressionAlgorithms_Key = CFSTR("Supported Compression Algorithms");

bool IsDictionary(CFTypeRef inValue) {
    return inValue != nullptr && CFGetTypeID(inValue) == CFDictionaryGetTypeID();
}

} // namespace

EngineSettings::EngineSettings(CFDictionaryRef inEngineSettings)
    : mEngineSettings(nullptr), mActiveSettings(CopyBaseSettings(inEngineSettings)) {
    mEngineSettings = static_cast<CFDictionaryRef>(CFRetain(inEngineSettings));
}

EngineSettings::~EngineSettings() {
    CFRelease(mActiveSettings);
    CFRelease(mEngineSettings);
}

CFMutableDictionaryRef EngineSettings::CopyBaseSettings(CFDictionaryRef inEngineSettings) {
    CFTypeRef base =
        inEngineSettings == nullptr ? nullptr : CFDictionaryGetValue(inEngineSettings, kBase_Key);
    if (base == nullptr)
        TarvelException::Raise("Base printer engine Settings is null.");
    if (!IsDictionary(base))
        TarvelException::Raise("Base printer engine Settings is not a dictionary.");
    CFMutableDictionaryRef copy =
        CFDictionaryCreateMutableCopy(nullptr, 0, static_cast<CFDictionaryRef>(base));
    if (copy == nullptr)
        TarvelException::Raise("Unable to copy base engine Settings.");
    return copy;
}

CFDictionaryRef EngineSettings::GetPDETemplates() const {
    CFTypeRef templates = CFDictionaryGetValue(mEngineSettings, kTemplate_Key);
    if (templates == nullptr)
        TarvelException::Raise("Printer engine PDE templates are null.");
    if (!IsDictionary(templates))
        TarvelException::Raise("Printer engine PDE templates are not a dictionary.");
    return static_cast<CFDictionaryRef>(templates);
}

CFDictionaryRef EngineSettings::GetActiveDictionary(CFStringRef inKey) const {
    return CFAccessors::GetDictionaryFromDictionary(mActiveSettings, inKey);
}

CFStringRef EngineSettings::GetPrimaryPrinterLanguage() const {
    return CFAccessors::GetStringFromDictionary(GetActiveDictionary(kPrinterLanguages_Key),
                                                kPrimary_Key);
}

CFArrayRef EngineSettings::GetSupportedPrinterLanguages() const {
    return CFAccessors::GetArrayFromDictionary(GetActiveDictionary(kPrinterLanguages_Key),
                                               kSupported_Key);
}

bool EngineSettings::IsSupportedPrinterLanguage(CFStringRef inPrinterLanguage) const {
    CFArrayRef supported = GetSupportedPrinterLanguages();
    return inPrinterLanguage != nullptr &&
           CFArrayContainsValue(supported, CFRangeMake(0, CFArrayGetCount(supported)),
                                inPrinterLanguage);
}

CFStringRef EngineSettings::GetDitherAlgorithmName() const {
    return CFAccessors::GetStringFromDictionary(GetActiveDictionary(kDitheringAlgorithm_Key),
                                                kSelected_Key);
}

CFDictionaryRef
EngineSettings::GetDitherAlgorithmSettings(CFStringRef inDitherAlgorithmName) const {
    CFDictionaryRef settings = CFAccessors::GetDictionaryFromDictionary(
        GetActiveDictionary(kDitheringAlgorithm_Key), kSettings_Key);
    return CFAccessors::GetDictionaryFromDictionary(settings, inDitherAlgorithmName);
}

CFStringRef EngineSettings::GetColourSpaceName() const {
    return CFAccessors::GetStringFromDictionary(GetActiveDictionary(kColourAdjustment_Key),
                                                kColourspace_Key);
}

CFStringRef EngineSettings::GetColourAdjustmentName() const {
    return CFAccessors::GetStringFromDictionary(GetActiveDictionary(kColourAdjustment_Key),
                                                kSelected_Key);
}

CFDictionaryRef
EngineSettings::GetColourAdjustmentSettings(CFStringRef inColourAdjustmentName) const {
    CFDictionaryRef settings = CFAccessors::GetDictionaryFromDictionary(
        GetActiveDictionary(kColourAdjustment_Key), kSettings_Key);
    return CFAccessors::GetDictionaryFromDictionary(settings, inColourAdjustmentName);
}

SInt32 EngineSettings::GetColourSyncProfileIndexValue() const {
    try {
        return CFAccessors::GetSInt32FromDictionary(
            GetDitherAlgorithmSettings(GetDitherAlgorithmName()), kColourSyncProfileIndex_Key);
    } catch (const TarvelException&) {
        return 0;
    }
}

Float32 EngineSettings::GetGamma() const {
    Float32 gamma = CFAccessors::GetFloatFromDictionary(
        GetDitherAlgorithmSettings(GetDitherAlgorithmName()), kGamma_Key);
    return gamma * GetGammaMultiplier();
}

Float32 EngineSettings::GetGammaMultiplier() const {
    return CFAccessors::GetFloatFromDictionary(GetActiveDictionary(kDitheringAlgorithm_Key),
                                               kGammaMultiplier_Key);
}

Float32 EngineSettings::GetSaturationBoost() const {
    return CFAccessors::GetFloatFromDictionary(mActiveSettings, kSaturationAdjustment_Key);
}

Float32 EngineSettings::GetBandingAllocation() const {
    return CFAccessors::GetFloatFromDictionary(mActiveSettings, kBandingAllocation_Key);
}

CFArrayRef EngineSettings::GetSupportedCompressionAlgorithmNames() const {
    return CFAccessors::GetArrayFromDictionary(mActiveSettings,
                                               kSupportedCompressionAlgorithms_Key);
}

void EngineSettings::GetResolution(unsigned long& outHorizontalResolution,
                                   unsigned long& outVerticalResolution) const {
    CFDictionaryRef resolution = GetActiveDictionary(kResolution_Key);
    SInt32 horizontal = CFAccessors::GetSInt32FromDictionary(resolution, kHorizontal_Key);
    SInt32 vertical = CFAccessors::GetSInt32FromDictionary(resolution, kVertical_Key);
    if (horizontal <= 0 || vertical <= 0)
        TarvelException::Raise("GetResolution: Resolution must be positive.");
    outHorizontalResolution = static_cast<unsigned long>(horizontal);
    outVerticalResolution = static_cast<unsigned long>(vertical);
}

UInt8 EngineSettings::GetPixelExpansionMultiplier() const {
    if (!CFDictionaryContainsKey(mActiveSettings, kPixelExpansionMultiplier_Key))
        return 1;
    try {
        SInt32 multiplier =
            CFAccessors::GetSInt32FromDictionary(mActiveSettings, kPixelExpansionMultiplier_Key);
        return static_cast<UInt8>(static_cast<UInt32>(multiplier) & 0xFFu);
    } catch (const TarvelException&) {
        return 1;
    }
}

bool EngineSettings::HasLinearisationProfileForCurrentDitheringAlgorithm() const {
    return HasLinearisationProfileForDitheringAlgorithm(GetDitherAlgorithmName());
}

bool EngineSettings::HasLinearisationProfileForDitheringAlgorithm(
    CFStringRef inDitherAlgorithmName) const {
    try {
        CFDictionaryRef settings = GetDitherAlgorithmSettings(inDitherAlgorithmName);
        return IsDictionary(CFDictionaryGetValue(settings, kLinearisationProfile_Key));
    } catch (const TarvelException&) {
        return false;
    }
}

CFDictionaryRef EngineSettings::GetLinearisationProfileForCurrentDitheringAlgorithm() const {
    return GetLinearisationProfileForDitheringAlgorithm(GetDitherAlgorithmName());
}

CFDictionaryRef EngineSettings::GetLinearisationProfileForDitheringAlgorithm(
    CFStringRef inDitherAlgorithmName) const {
    return CFAccessors::GetDictionaryFromDictionary(
        GetDitherAlgorithmSettings(inDitherAlgorithmName), kLinearisationProfile_Key);
}

bool EngineSettings::HasSaturationBoost() const {
    if (!CFDictionaryContainsKey(mActiveSettings, kSaturationAdjustment_Key))
        return false;
    try {
        return GetSaturationBoost() != 1.0f;
    } catch (const TarvelException&) {
        return false;
    }
}

CFDictionaryRef EngineSettings::GetOverlaySettings(CFStringRef inOverlay) const {
    CFTypeRef overlays = CFDictionaryGetValue(mEngineSettings, kOverlays_Key);
    if (overlays == nullptr)
        TarvelException::Raise("Printer engine overlays is null.");
    if (!IsDictionary(overlays))
        TarvelException::Raise("Printer engine overlays is not a dictionary.");
    CFTypeRef overlay = CFDictionaryGetValue(static_cast<CFDictionaryRef>(overlays), inOverlay);
    if (overlay == nullptr)
        return nullptr;
    if (!IsDictionary(overlay))
        TarvelException::Raise("Overlay settings is not a dictionary.");
    return static_cast<CFDictionaryRef>(overlay);
}

void EngineSettings::Apply(CFStringRef inOverlayKey) {
    if (inOverlayKey == nullptr)
        TarvelException::Raise("Apply: Overlay key is null.");
    if (CFGetTypeID(inOverlayKey) != CFStringGetTypeID())
        TarvelException::Raise("Apply: Overlay key is not a string.");
    if (CFStringGetLength(inOverlayKey) == 0)
        return;
    CFDictionaryRef overlay = GetOverlaySettings(inOverlayKey);
    if (overlay == nullptr)
        return; // an overlay this printer does not define
    CFMutableDictionaryRef merged = CFDictionaryCreateMutableCopy(nullptr, 0, mActiveSettings);
    if (merged == nullptr)
        TarvelException::Raise("Apply: Unable to copy active settings.");
    MergeSettings(merged, overlay);
    CFRelease(mActiveSettings);
    mActiveSettings = merged;
}

void EngineSettings::ApplyArray(CFArrayRef inOverlayKeys) {
    if (inOverlayKeys == nullptr)
        TarvelException::Raise("Apply: Overlay keys are null.");
    if (CFGetTypeID(inOverlayKeys) != CFArrayGetTypeID())
        TarvelException::Raise("Apply: Overlay keys are not an array.");
    // Every Apply replaces the active settings by a new dictionary and never changes the
    // old one, so keeping the old one is enough to undo them all.
    CFMutableDictionaryRef before =
        static_cast<CFMutableDictionaryRef>(const_cast<void*>(CFRetain(mActiveSettings)));
    try {
        CFIndex count = CFArrayGetCount(inOverlayKeys);
        for (CFIndex index = 0; index < count; ++index) {
            CFTypeRef key = CFArrayGetValueAtIndex(inOverlayKeys, index);
            if (key == nullptr)
                TarvelException::Raise("Apply: Overlay key is null.");
            if (CFGetTypeID(key) != CFStringGetTypeID())
                TarvelException::Raise("Apply: Overlay key is not a string.");
            Apply(static_cast<CFStringRef>(key));
        }
    } catch (...) {
        CFRelease(mActiveSettings);
        mActiveSettings = before;
        throw;
    }
    CFRelease(before);
}

void EngineSettings::MergeSettings(CFMutableDictionaryRef inLHS, CFDictionaryRef inRHS) {
    if (inLHS == nullptr || inRHS == nullptr || inLHS == inRHS || CFEqual(inLHS, inRHS))
        return;
    // The right-hand side may be held only by the left-hand one, which the merge changes.
    CFRetain(inRHS);
    CFIndex count = CFDictionaryGetCount(inRHS);
    std::vector<const void*> keys(static_cast<size_t>(count));
    std::vector<const void*> values(static_cast<size_t>(count));
    if (count > 0)
        CFDictionaryGetKeysAndValues(inRHS, keys.data(), values.data());
    for (CFIndex index = 0; index < count; ++index) {
        const void* key = keys[static_cast<size_t>(index)];
        const void* right = values[static_cast<size_t>(index)];
        if (key == nullptr || right == nullptr)
            continue;
        const void* left = CFDictionaryGetValue(inLHS, key);
        if (IsDictionary(left) && IsDictionary(right)) {
            if (left == right || CFEqual(left, right))
                continue;
            CFMutableDictionaryRef merged =
                CFDictionaryCreateMutableCopy(nullptr, 0, static_cast<CFDictionaryRef>(left));
            MergeSettings(merged, static_cast<CFDictionaryRef>(right));
            CFDictionarySetValue(inLHS, key, merged);
            CFRelease(merged);
        } else {
            CFDictionarySetValue(inLHS, key, right);
        }
    }
    CFRelease(inRHS);
}

} // namespace Tarvel
