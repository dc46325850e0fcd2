#include "legacy/settings/HPRTLEngineSettings.h"

#include "../ConfigurationTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace orvo_config_test;
using Tarvel::HPRTLEngineSettings;

// Active settings whose "HP-RTL" dictionary holds inFeatures.
CFPtr<CFDictionaryRef> Active(const std::string& inFeatures) {
    return Dictionary("<dict><key>HP-RTL</key><dict>" + inFeatures + "</dict></dict>");
}

TEST(HPRTLEngineSettings, AbsentFeaturesHaveTheirDefaults) {
    auto active = Active("<key>Quality</key><integer>300</integer>");
    HPRTLEngineSettings features(active.get());
    std::string output = QuietOutput([&] {
        EXPECT_FALSE(features.SupportsQuality());
        EXPECT_EQ(features.GetQuality(), 100); // "Quality" alone is not read
        EXPECT_FALSE(features.SupportsHPPJL());
        EXPECT_FALSE(features.SupportsNegativeMotion());
        EXPECT_FALSE(features.GetNegativeMotion());
        EXPECT_EQ(features.GetPCL3GUIPlaneFormat(), 0);
        EXPECT_EQ(features.GetPCL3GUIMediaType(), 0);
        CFArrayRef names = reinterpret_cast<CFArrayRef>(1);
        CFArrayRef values = reinterpret_cast<CFArrayRef>(2);
        EXPECT_FALSE(features.CopyHPPJLVariables(names, values));
        EXPECT_EQ(names, reinterpret_cast<CFArrayRef>(1)); // untouched
        EXPECT_EQ(values, reinterpret_cast<CFArrayRef>(2));
    });
    EXPECT_EQ(output, "");
}

TEST(HPRTLEngineSettings, PresentFeatures) {
    auto active = Active(R"(
        <key>Quality Supported</key><true/>
        <key>Quality</key><integer>300</integer>
        <key>Negative Motion/Buffer</key><false/>
        <key>PCL3GUI Plane Format</key><integer>4</integer>
        <key>PCL3GUI Media Type</key><string>glossy</string>)");
    HPRTLEngineSettings features(active.get());
    EXPECT_TRUE(features.SupportsQuality());
    EXPECT_EQ(features.GetQuality(), 300);
    EXPECT_TRUE(features.SupportsNegativeMotion()); // present...
    EXPECT_FALSE(features.GetNegativeMotion());     // ...and off
    EXPECT_EQ(features.GetPCL3GUIPlaneFormat(), 4);
    EXPECT_EQ(features.GetPCL3GUIMediaType(), 0); // not a number
}

TEST(HPRTLEngineSettings, MistypedFeaturesRaise) {
    auto active = Active(R"(
        <key>Quality Supported</key><integer>1</integer>
        <key>HP-PJL Supported</key><true/>
        <key>HP-PJL Variables</key><array/>)");
    HPRTLEngineSettings features(active.get());
    EXPECT_EQ(RaisedLine([&] { features.SupportsQuality(); }),
              Line("GetBooleanFromDictionary: Value is not a number."));
    EXPECT_EQ(RaisedLine([&] {
                  CFArrayRef names, values;
                  features.CopyHPPJLVariables(names, values);
              }),
              Line("GetDictionaryFromDictionary: Value is not a dictionary."));

    auto noQuality = Active("<key>Quality Supported</key><true/>");
    HPRTLEngineSettings supported(noQuality.get());
    EXPECT_EQ(RaisedLine([&] { supported.GetQuality(); }),
              Line("GetNumberFromDictionary: Value is null."));
}

TEST(HPRTLEngineSettings, PJLVariablesComeInNameOrder) {
    const std::string variables = R"(
        <key>HP-PJL Variables</key>
        <dict>
            <key>RESOLUTION</key><string>600</string>
            <key>COPIES</key><string>1</string>
            <key>MEDIATYPE</key><string>PLAIN</string>
        </dict>)";
    auto off = Active("<key>HP-PJL Supported</key><false/>" + variables);
    CFArrayRef names = nullptr;
    CFArrayRef values = nullptr;
    EXPECT_FALSE(HPRTLEngineSettings(off.get()).CopyHPPJLVariables(names, values));
    EXPECT_EQ(names, nullptr);

    auto on = Active("<key>HP-PJL Supported</key><true/>" + variables);
    ASSERT_TRUE(HPRTLEngineSettings(on.get()).CopyHPPJLVariables(names, values));
    CFPtr<CFArrayRef> ownNames(names);
    CFPtr<CFArrayRef> ownValues(values);
    ASSERT_EQ(CFArrayGetCount(names), 3);
    ASSERT_EQ(CFArrayGetCount(values), 3);
    const char* const expected[][2] = {
        {"COPIES", "1"}, {"MEDIATYPE", "PLAIN"}, {"RESOLUTION", "600"}};
    for (CFIndex index = 0; index < 3; ++index) {
        EXPECT_EQ(Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(names, index))),
                  expected[index][0]);
        EXPECT_EQ(Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(values, index))),
                  expected[index][1]);
    }
}

TEST(HPRTLEngineSettings, ConstructionFaults) {
    EXPECT_EQ(RaisedLine([] { HPRTLEngineSettings features(nullptr); }),
              Line("Engine settings are null."));
    auto missing = Dictionary("<dict><key>hp-rtl</key><dict/></dict>");
    EXPECT_EQ(RaisedLine([&] { HPRTLEngineSettings features(missing.get()); }),
              Line("HP-RTL settings are null."));
    auto wrongKind = Dictionary("<dict><key>HP-RTL</key><true/></dict>");
    EXPECT_EQ(RaisedLine([&] { HPRTLEngineSettings features(wrongKind.get()); }),
              Line("HP-RTL settings are not a dictionary."));
}

TEST(HPRTLEngineSettings, KeepsItsOwnReference) {
    auto active = Active("<key>HP-PJL Supported</key><true/>");
    CFTypeRef rtl = CFDictionaryGetValue(active.get(), CFSTR("HP-RTL"));
    CFIndex count = CFGetRetainCount(rtl);
    {
        HPRTLEngineSettings features(active.get());
        EXPECT_EQ(CFGetRetainCount(rtl), count + 1);
    }
    EXPECT_EQ(CFGetRetainCount(rtl), count);
}

} // namespace
