#include "legacy/settings/EngineSettings.h"

#include "../ConfigurationTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace orvo_config_test;
using Tarvel::EngineSettings;

const char* const kBase = R"(
<key>Printer Languages</key>
<dict>
    <key>Primary</key><string>HP-RTL</string>
    <key>Supported</key><array><string>HP-GL/2</string><string>HP-RTL</string><string>HP-PJL</string></array>
</dict>
<key>Dithering Algorithm</key>
<dict>
    <key>Selected</key><string>Scatter</string>
    <key>Gamma Multiplier</key><real>1.25</real>
    <key>Settings</key>
    <dict>
        <key>Scatter</key>
        <dict><key>Gamma</key><real>1.8</real><key>ColorSync Profile Index</key><integer>3</integer></dict>
        <key>Error Diffused</key>
        <dict>
            <key>Gamma</key><real>2.2</real>
            <key>Linearisation Profile</key><dict><key>Cyan</key><array><integer>0</integer></array></dict>
        </dict>
        <key>Hardware</key><string>no settings</string>
        <key>Odd</key><dict><key>Linearisation Profile</key><string>flat</string></dict>
    </dict>
</dict>
<key>Colour Adjustment</key>
<dict>
    <key>Selected</key><string>Tarvel</string>
    <key>Colourspace</key><string>Greyscale</string>
    <key>Settings</key><dict><key>Tarvel</key><dict><key>Strength</key><integer>2</integer></dict></dict>
</dict>
<key>Resolution</key><dict><key>Horizontal</key><integer>300</integer><key>Vertical</key><integer>300</integer></dict>
<key>Supported Compression Algorithms</key><array><string>PackBits</string></array>
<key>Banding Allocation</key><real>0.5</real>
)";

const char* const kOverlays = R"(
<key>orvo.engine.overlays</key>
<dict>
    <key>600 dpi</key><dict><key>Resolution</key><dict><key>Horizontal</key><integer>600</integer></dict></dict>
    <key>Diffused</key><dict><key>Dithering Algorithm</key><dict><key>Selected</key><string>Error Diffused</string></dict></dict>
    <key>RTL only</key><dict><key>Printer Languages</key><dict><key>Supported</key><array><string>HP-RTL</string></array></dict></dict>
    <key>No dithering</key><dict><key>Dithering Algorithm</key><string>none</string></dict>
    <key>Saturated</key><dict><key>Saturation Adjustment</key><real>1.2</real></dict>
    <key>Muted</key><dict><key>Saturation Adjustment</key><real>0.8</real></dict>
    <key>Broken</key><string>not a dictionary</string>
</dict>
)";

const char* const kTemplate = R"(
<key>orvo.engine.template</key>
<dict><key>orvo.engine.pdes</key><dict/><key>orvo.engine.options</key><dict/></dict>
)";

// An engine dictionary with the base above (plus inExtraBase), and inRest at its top level.
CFPtr<CFDictionaryRef> Engine(const std::string& inExtraBase = "",
                              const std::string& inRest = std::string(kOverlays) + kTemplate) {
    return Dictionary("<dict><key>orvo.engine.base</key><dict>" + std::string(kBase) + inExtraBase +
                      "</dict>" + inRest + "</dict>");
}

void ExpectResolution(const EngineSettings& inSettings, unsigned long inHorizontal,
                      unsigned long inVertical) {
    unsigned long horizontal = 0;
    unsigned long vertical = 0;
    inSettings.GetResolution(horizontal, vertical);
    EXPECT_EQ(horizontal, inHorizontal);
    EXPECT_EQ(vertical, inVertical);
}

TEST(EngineSettings, GettersReadTheBase) {
    auto engine = Engine();
    EngineSettings settings(engine.get());

    EXPECT_EQ(Text(settings.GetPrimaryPrinterLanguage()), "HP-RTL");
    EXPECT_EQ(CFArrayGetCount(settings.GetSupportedPrinterLanguages()), 3);
    EXPECT_TRUE(settings.IsSupportedPrinterLanguage(CFSTR("HP-PJL")));
    EXPECT_FALSE(settings.IsSupportedPrinterLanguage(CFSTR("hp-rtl"))); // case-sensitive
    EXPECT_FALSE(settings.IsSupportedPrinterLanguage(CFSTR("EN-RTL")));
    EXPECT_EQ(Text(settings.GetDitherAlgorithmName()), "Scatter");
    EXPECT_FLOAT_EQ(settings.GetGammaMultiplier(), 1.25f);
    EXPECT_EQ(settings.GetGamma(), 1.8f * 1.25f); // single-precision product
    EXPECT_FLOAT_EQ(settings.GetGamma(), 2.25f);
    EXPECT_EQ(settings.GetColourSyncProfileIndexValue(), 3);
    EXPECT_EQ(Text(settings.GetColourAdjustmentName()), "Tarvel");
    EXPECT_EQ(Text(settings.GetColourSpaceName()), "Greyscale");
    EXPECT_EQ(CFDictionaryGetCount(settings.GetColourAdjustmentSettings(CFSTR("Tarvel"))), 1);
    ExpectResolution(settings, 300, 300);
    EXPECT_EQ(settings.GetPixelExpansionMultiplier(), 1);
    EXPECT_FALSE(settings.HasSaturationBoost());
    EXPECT_FLOAT_EQ(settings.GetBandingAllocation(), 0.5f);
    EXPECT_EQ(CFArrayGetCount(settings.GetSupportedCompressionAlgorithmNames()), 1);
    EXPECT_EQ(CFDictionaryGetCount(settings.GetPDETemplates()), 2);

    EXPECT_FALSE(settings.HasLinearisationProfileForCurrentDitheringAlgorithm());
    EXPECT_TRUE(settings.HasLinearisationProfileForDitheringAlgorithm(CFSTR("Error Diffused")));
    EXPECT_NE(settings.GetLinearisationProfileForDitheringAlgorithm(CFSTR("Error Diffused")),
              nullptr);
    // A profile of the wrong kind, settings that are not a dictionary, an unknown
    // algorithm: no linearisation.
    std::string quiet = QuietOutput(
        [&] { EXPECT_FALSE(settings.HasLinearisationProfileForDitheringAlgorithm(CFSTR("Odd"))); });
    EXPECT_EQ(quiet, "");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(settings.HasLinearisationProfileForDitheringAlgorithm(CFSTR("Hardware")));
    EXPECT_FALSE(settings.HasLinearisationProfileForDitheringAlgorithm(CFSTR("Unknown")));
    testing::internal::GetCapturedStderr();
}

TEST(EngineSettings, MissingOrMistypedSettingsRaiseTheAccessorsMessages) {
    auto engine = Dictionary(R"(<dict><key>orvo.engine.base</key><dict>
        <key>Printer Languages</key><string>HP-RTL</string>
        <key>Dithering Algorithm</key><dict><key>Selected</key><integer>1</integer></dict>
        <key>Resolution</key><dict><key>Horizontal</key><real>300.5</real><key>Vertical</key><integer>300</integer></dict>
        </dict></dict>)");
    EngineSettings settings(engine.get());

    EXPECT_EQ(RaisedLine([&] { settings.GetPrimaryPrinterLanguage(); }),
              Line("GetDictionaryFromDictionary: Value is not a dictionary."));
    EXPECT_EQ(RaisedLine([&] { settings.GetDitherAlgorithmName(); }),
              Line("GetStringFromDictionary: Value is not a string."));
    EXPECT_EQ(RaisedLine([&] { settings.GetColourSpaceName(); }),
              Line("GetDictionaryFromDictionary: Value is null."));
    EXPECT_EQ(RaisedLine([&] {
                  unsigned long h, v;
                  settings.GetResolution(h, v);
              }),
              Line("GetNumberFromDictionary: Numeric information lost in conversion to "
                   "unsigned integer."));
    EXPECT_EQ(RaisedLine([&] { settings.GetSaturationBoost(); }),
              Line("GetFloatFromDictionary: Value is null."));
    // The accessor names the key and the dictionary after its message.
    std::string output = RaisedOutput([&] { settings.GetBandingAllocation(); });
    EXPECT_NE(output.find("Failed to find key: \nBanding Allocation\nIn dictionary:\n{"),
              std::string::npos)
        << output;
    EXPECT_EQ(RaisedLine([&] { settings.GetPDETemplates(); }),
              Line("Printer engine PDE templates are null."));
}

TEST(EngineSettings, ResolutionMustBePositive) {
    for (const char* value : {"0", "-300"}) {
        auto engine = Dictionary(std::string("<dict><key>orvo.engine.base</key><dict>"
                                             "<key>Resolution</key><dict><key>Horizontal</key>"
                                             "<integer>300</integer><key>Vertical</key><integer>") +
                                 value + "</integer></dict></dict></dict>");
        EngineSettings settings(engine.get());
        EXPECT_EQ(RaisedLine([&] {
                      unsigned long h, v;
                      settings.GetResolution(h, v);
                  }),
                  Line("GetResolution: Resolution must be positive."))
            << value;
    }
}

TEST(EngineSettings, EngineDictionaryFaults) {
    struct Case {
        std::string engine;
        std::string message;
    };
    const Case cases[] = {
        {"<dict/>", "Base printer engine Settings is null."},
        {"<dict><key>orvo.engine.base</key><array/></dict>",
         "Base printer engine Settings is not a dictionary."},
        {"<dict><key>orvo.engine.Base</key><dict/></dict>",
         "Base printer engine Settings is null."},
    };
    for (const Case& test : cases) {
        auto engine = Dictionary(test.engine);
        EXPECT_EQ(RaisedLine([&] { EngineSettings settings(engine.get()); }), Line(test.message))
            << test.engine;
    }
    EXPECT_EQ(RaisedLine([] { EngineSettings settings(nullptr); }),
              Line("Base printer engine Settings is null."));

    auto badTemplate =
        Dictionary("<dict><key>orvo.engine.base</key><dict/><key>orvo.engine.template</key>"
                   "<string>x</string></dict>");
    EngineSettings settings(badTemplate.get());
    EXPECT_EQ(RaisedLine([&] { settings.GetPDETemplates(); }),
              Line("Printer engine PDE templates are not a dictionary."));
}

TEST(EngineSettings, PixelExpansionMultiplierKeepsTheLowEightBits) {
    struct Case {
        const char* value; // null: key absent
        int expected;
    };
    const Case cases[] = {
        {nullptr, 1},
        {"<integer>2</integer>", 2},
        {"<integer>258</integer>", 2},
        {"<integer>256</integer>", 0},
        {"<real>2.5</real>", 1},
        {"<string>2</string>", 1},
    };
    for (const Case& test : cases) {
        std::string extra =
            test.value ? std::string("<key>Pixel Expansion Multiplier</key>") + test.value : "";
        auto engine = Engine(extra);
        EngineSettings settings(engine.get());
        testing::internal::CaptureStderr();
        EXPECT_EQ(settings.GetPixelExpansionMultiplier(), test.expected)
            << (test.value ? test.value : "absent");
        std::string output = testing::internal::GetCapturedStderr();
        EXPECT_EQ(output.empty(), test.value == nullptr || test.expected != 1) << output;
    }
}

TEST(EngineSettings, SaturationBoostIsAnyValueButOne) {
    struct Case {
        const char* value;
        bool expected;
    };
    const Case cases[] = {
        {nullptr, false},           {"<real>1.0</real>", false}, {"<integer>1</integer>", false},
        {"<real>1.2</real>", true}, {"<real>0.0</real>", true},  {"<true/>", false},
    };
    for (const Case& test : cases) {
        std::string extra =
            test.value ? std::string("<key>Saturation Adjustment</key>") + test.value : "";
        auto engine = Engine(extra);
        EngineSettings settings(engine.get());
        testing::internal::CaptureStderr();
        EXPECT_EQ(settings.HasSaturationBoost(), test.expected)
            << (test.value ? test.value : "absent");
        testing::internal::GetCapturedStderr();
    }
}

TEST(EngineSettings, ColourSyncProfileIndexDefaultsToZero) {
    // The selected algorithm has no index; there is no dithering dictionary at all.
    for (const char* overlay : {"Diffused", "No dithering"}) {
        auto engine = Engine();
        EngineSettings settings(engine.get());
        settings.Apply(String(overlay).get());
        std::string output = QuietOutput(
            [&] { EXPECT_EQ(settings.GetColourSyncProfileIndexValue(), 0) << overlay; });
        EXPECT_EQ(output.rfind("KELDOR:  ExCa-", 0), 0u) << output; // the log line remains
    }
    // The selected algorithm's settings are not a dictionary.
    auto hardware = Dictionary(R"(<dict><key>orvo.engine.base</key><dict>
        <key>Dithering Algorithm</key><dict><key>Selected</key><string>Hardware</string>
        <key>Settings</key><dict><key>Hardware</key><string>x</string></dict></dict>
        </dict></dict>)");
    EngineSettings settings(hardware.get());
    testing::internal::CaptureStderr();
    EXPECT_EQ(settings.GetColourSyncProfileIndexValue(), 0);
    testing::internal::GetCapturedStderr();
}

TEST(EngineSettings, OverlaysMergeNestedDictionariesAndReplaceEverythingElse) {
    auto engine = Engine();
    EngineSettings settings(engine.get());

    settings.Apply(CFSTR("600 dpi"));
    ExpectResolution(settings, 600, 300); // merged, not replaced

    settings.Apply(CFSTR("RTL only"));
    EXPECT_EQ(CFArrayGetCount(settings.GetSupportedPrinterLanguages()), 1); // replaced whole
    EXPECT_EQ(Text(settings.GetPrimaryPrinterLanguage()), "HP-RTL");        // kept beside it

    settings.Apply(CFSTR("Diffused"));
    EXPECT_EQ(Text(settings.GetDitherAlgorithmName()), "Error Diffused");
    EXPECT_FLOAT_EQ(settings.GetGammaMultiplier(), 1.25f);
    EXPECT_TRUE(settings.HasLinearisationProfileForCurrentDitheringAlgorithm());

    settings.Apply(CFSTR("No dithering"));
    EXPECT_EQ(RaisedLine([&] { settings.GetDitherAlgorithmName(); }),
              Line("GetDictionaryFromDictionary: Value is not a dictionary."));
}

TEST(EngineSettings, LaterOverlaysWin) {
    auto engine = Engine();
    EngineSettings settings(engine.get());
    CFStringRef names[] = {CFSTR("Muted"), CFSTR("Saturated")};
    CFPtr<CFArrayRef> keys(
        CFArrayCreate(nullptr, reinterpret_cast<const void**>(names), 2, &kCFTypeArrayCallBacks));
    settings.ApplyArray(keys.get());
    EXPECT_FLOAT_EQ(settings.GetSaturationBoost(), 1.2f);
    settings.Apply(CFSTR("Muted"));
    EXPECT_FLOAT_EQ(settings.GetSaturationBoost(), 0.8f);
}

TEST(EngineSettings, MergingLeavesTheEngineDictionaryAlone) {
    auto engine = Engine();
    CFPtr<CFDataRef> before(CFPropertyListCreateXMLData(nullptr, engine.get()));
    {
        EngineSettings settings(engine.get());
        settings.Apply(CFSTR("600 dpi"));
        settings.Apply(CFSTR("Diffused"));
        ExpectResolution(settings, 600, 300);
    }
    CFPtr<CFDataRef> after(CFPropertyListCreateXMLData(nullptr, engine.get()));
    EXPECT_TRUE(CFEqual(before.get(), after.get()));
    EngineSettings fresh(engine.get());
    ExpectResolution(fresh, 300, 300);
    EXPECT_EQ(Text(fresh.GetDitherAlgorithmName()), "Scatter");
}

TEST(EngineSettings, UnknownAndEmptyOverlaysChangeNothing) {
    auto engine = Engine();
    EngineSettings settings(engine.get());
    CFPtr<CFDictionaryRef> before(CFDictionaryCreateCopy(nullptr, settings.Get()));
    std::string output = QuietOutput([&] {
        settings.Apply(CFSTR("Not defined by this printer"));
        settings.Apply(CFSTR(""));
    });
    EXPECT_EQ(output, "");
    EXPECT_TRUE(CFEqual(before.get(), settings.Get()));

    // The empty name does not even look for the overlays.
    auto withoutOverlays = Engine("", "");
    EngineSettings bare(withoutOverlays.get());
    EXPECT_EQ(QuietOutput([&] { bare.Apply(CFSTR("")); }), "");
    EXPECT_EQ(RaisedLine([&] { bare.Apply(CFSTR("600 dpi")); }),
              Line("Printer engine overlays is null."));
}

TEST(EngineSettings, OverlayFaults) {
    auto engine = Engine();
    EngineSettings settings(engine.get());
    EXPECT_EQ(RaisedLine([&] { settings.Apply(nullptr); }), Line("Apply: Overlay key is null."));
    EXPECT_EQ(RaisedLine([&] { settings.Apply(CFSTR("Broken")); }),
              Line("Overlay settings is not a dictionary."));
    EXPECT_EQ(RaisedLine([&] { settings.ApplyArray(nullptr); }),
              Line("Apply: Overlay keys are null."));

    auto notADictionary = Engine("", "<key>orvo.engine.overlays</key><array/>");
    EngineSettings other(notADictionary.get());
    EXPECT_EQ(RaisedLine([&] { other.Apply(CFSTR("600 dpi")); }),
              Line("Printer engine overlays is not a dictionary."));
}

TEST(EngineSettings, ApplyArrayIsAllOrNothing) {
    auto engine = Engine();
    EngineSettings settings(engine.get());
    CFPtr<CFDictionaryRef> before(CFDictionaryCreateCopy(nullptr, settings.Get()));

    SInt32 seven = 7;
    CFPtr<CFNumberRef> number(CFNumberCreate(nullptr, kCFNumberSInt32Type, &seven));
    struct Case {
        CFTypeRef second;
        const char* message;
    };
    const Case cases[] = {
        {number.get(), "Apply: Overlay key is not a string."},
        {CFSTR("Broken"), "Overlay settings is not a dictionary."},
    };
    for (const Case& test : cases) {
        const void* names[] = {CFSTR("600 dpi"), test.second, CFSTR("Saturated")};
        CFPtr<CFArrayRef> keys(CFArrayCreate(nullptr, names, 3, &kCFTypeArrayCallBacks));
        EXPECT_EQ(RaisedLine([&] { settings.ApplyArray(keys.get()); }), Line(test.message));
        EXPECT_TRUE(CFEqual(before.get(), settings.Get()));
    }
}

} // namespace
