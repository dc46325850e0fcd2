#include "engines/PerformanceEngine.h"

#include <CoreFoundation/CFNumber.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Tarvel;

namespace {

std::vector<std::string> sUpdates;

class Component : public PerformanceComponent {
public:
    Component(CFStringRef inName, const char* inLabel)
        : PerformanceComponent(inName), mLabel(inLabel) {}
    void UpdateComponentDetails() override {
        sUpdates.push_back(mLabel);
        SetPerformanceValue_SInt32(CFSTR("updates"), ++mCount);
    }

private:
    const char* mLabel;
    SInt32 mCount = 0;
};

class RecordingEngine : public PerformanceEngine {
public:
    void ProcessSelf(CFDictionaryRef inAllComponentData) override {
        mSamples.push_back(CFDictionaryCreateCopy(nullptr, inAllComponentData));
    }
    ~RecordingEngine() override {
        for (CFDictionaryRef sample : mSamples)
            CFRelease(sample);
    }
    std::vector<CFDictionaryRef> mSamples;
};

SInt32 Updates(CFDictionaryRef inSample, CFStringRef inName) {
    CFDictionaryRef data = static_cast<CFDictionaryRef>(CFDictionaryGetValue(inSample, inName));
    SInt32 value = -1;
    if (data != nullptr)
        CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(data, CFSTR("updates"))),
                         kCFNumberSInt32Type, &value);
    return value;
}

} // namespace

TEST(PerformanceEngineTest, SamplesComponentsInRegistrationOrderByName) {
    sUpdates.clear();
    Component a(CFSTR("a.component"), "a"), b(CFSTR("b.component"), "b");
    RecordingEngine engine;
    EXPECT_EQ(engine.MicrosecondSleepTime(), 500000u);
    engine.RegisterComponent(&b);
    engine.RegisterComponent(nullptr);
    engine.RegisterComponent(&a);
    engine.Process();
    engine.Process();
    EXPECT_EQ(sUpdates, (std::vector<std::string>{"b", "a", "b", "a"}));
    ASSERT_EQ(engine.mSamples.size(), 2u);
    EXPECT_EQ(CFDictionaryGetCount(engine.mSamples[1]), 2);
    EXPECT_EQ(Updates(engine.mSamples[0], CFSTR("a.component")), 1);
    EXPECT_EQ(Updates(engine.mSamples[1], CFSTR("b.component")), 2);
    CFDictionaryRef data = static_cast<CFDictionaryRef>(
        CFDictionaryGetValue(engine.mSamples[0], CFSTR("a.component")));
    EXPECT_NE(CFDictionaryGetValue(data, CFSTR("orvo.attributes")), nullptr);

    engine.UnregisterComponent(&b);
    engine.Process();
    EXPECT_EQ(CFDictionaryGetCount(engine.mSamples[2]), 1);
    EXPECT_EQ(Updates(engine.mSamples[2], CFSTR("b.component")), -1);
}
