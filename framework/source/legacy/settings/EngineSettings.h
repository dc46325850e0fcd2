// The engine settings of one job: the printer's engine dictionary, and the active settings
// built from its base with the overlays of the user's choices merged over it.
//
// Engine dictionary:
//     "orvo.engine.base"      dictionary: the base settings
//     "orvo.engine.overlays"  dictionary: overlay name -> partial settings, same layout
//     "orvo.engine.template"  dictionary: the option template of the print dialog panels
//
// Every getter reads the active settings and raises (TarvelException::Raise) when a key it
// needs is missing or of the wrong kind, except where its comment names a default. The
// dictionaries, arrays and strings returned are borrowed and stay valid until the next
// Apply or the object's destruction.
//
// The object is filled once, right after construction, and read without locks by several
// threads afterwards; nothing changes it then.
#pragma once

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>

namespace Tarvel {

class EngineSettings {
public:
    // Retains the engine dictionary; the active settings start as a copy of its base.
    explicit EngineSettings(CFDictionaryRef inEngineSettings);
    ~EngineSettings();
    EngineSettings(const EngineSettings&) = delete;
    EngineSettings& operator=(const EngineSettings&) = delete;

    // The active settings.
    CFDictionaryRef Get() const { return mActiveSettings; }
    // The option template, from the engine dictionary itself.
    CFDictionaryRef GetPDETemplates() const;

    // "Printer Languages" / "Primary" and "Supported".
    CFStringRef GetPrimaryPrinterLanguage() const;
    CFArrayRef GetSupportedPrinterLanguages() const;
    // Exact, case-sensitive comparison with every supported language.
    bool IsSupportedPrinterLanguage(CFStringRef inPrinterLanguage) const;

    // "Dithering Algorithm" / "Selected", and "Settings" / inDitherAlgorithmName.
    CFStringRef GetDitherAlgorithmName() const;
    CFDictionaryRef GetDitherAlgorithmSettings(CFStringRef inDitherAlgorithmName) const;

    // "Colour Adjustment" / "Colourspace", "Selected" and "Settings" / name.
    CFStringRef GetColourSpaceName() const;
    CFStringRef GetColourAdjustmentName() const;
    CFDictionaryRef GetColourAdjustmentSettings(CFStringRef inColourAdjustmentName) const;

    // The selected algorithm's "ColorSync Profile Index"; 0 after any error on the way
    // (the accessors' log lines are still written).
    SInt32 GetColourSyncProfileIndexValue() const;

    // The selected algorithm's "Gamma" times the "Gamma Multiplier", in single precision.
    Float32 GetGamma() const;
    Float32 GetGammaMultiplier() const;
    Float32 GetSaturationBoost() const;
    Float32 GetBandingAllocation() const;
    // "Supported Compression Algorithms".
    CFArrayRef GetSupportedCompressionAlgorithmNames() const;

    // "Resolution" / "Horizontal" and "Vertical", dots per inch. A resolution that is not
    // positive is refused: every size in pixels is derived from it.
    void GetResolution(unsigned long& outHorizontalResolution,
                       unsigned long& outVerticalResolution) const;

    // "Pixel Expansion Multiplier", its low 8 bits (256 gives 0); 1 when the key is absent
    // or unreadable.
    UInt8 GetPixelExpansionMultiplier() const;

    // True when the algorithm's settings hold a "Linearisation Profile" dictionary; false
    // after any error on the way. The "current" forms use the selected algorithm, and the
    // errors of reading its name are not caught.
    bool HasLinearisationProfileForCurrentDitheringAlgorithm() const;
    bool HasLinearisationProfileForDitheringAlgorithm(CFStringRef inDitherAlgorithmName) const;
    CFDictionaryRef GetLinearisationProfileForCurrentDitheringAlgorithm() const;
    CFDictionaryRef
    GetLinearisationProfileForDitheringAlgorithm(CFStringRef inDitherAlgorithmName) const;

    // True when "Saturation Adjustment" is present and not exactly 1.0; false when it is
    // absent or unreadable.
    bool HasSaturationBoost() const;

    // Merges the named overlay over the active settings. An empty name does nothing, and
    // so does a name that the engine dictionary's overlays lack. A failed Apply leaves the
    // active settings as they were.
    void Apply(CFStringRef inOverlayKey);
    // Applies every name in array order, later overlays winning. All or nothing: when one
    // element fails the active settings are those from before the call.
    void ApplyArray(CFArrayRef inOverlayKeys);

    // Merges inRHS into inLHS, the right-hand side winning: a dictionary under a key that
    // both hold as dictionaries is merged key by key, to any depth; any other value
    // replaces the left-hand one or is added. Values are shared, not copied. A nested
    // dictionary of inLHS that receives a merge is first replaced by a mutable copy of
    // itself, so dictionaries shared with other owners (the engine dictionary, a parsed
    // file) are never changed and may be immutable.
    static void MergeSettings(CFMutableDictionaryRef inLHS, CFDictionaryRef inRHS);

private:
    // A new mutable copy of the engine dictionary's base (caller owns).
    static CFMutableDictionaryRef CopyBaseSettings(CFDictionaryRef inEngineSettings);
    // The overlay named inOverlay (borrowed), or null when the engine dictionary has none.
    CFDictionaryRef GetOverlaySettings(CFStringRef inOverlay) const;
    // The active dictionary under inKey.
    CFDictionaryRef GetActiveDictionary(CFStringRef inKey) const;

    CFDictionaryRef mEngineSettings;
    CFMutableDictionaryRef mActiveSettings;
};

} // namespace Tarvel
