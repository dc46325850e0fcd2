#include "processors/Processor.h"
#include "engines/PerformanceEngine.h"
#include "processors/PerformanceProcessor.h"
#include "processors/ProcessorPerformanceComponent.h"

#include <CoreFoundation/CFNumber.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

using namespace Tarvel;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

class CountingProcessor : public Processor {
public:
    int Run() override {
        mSawInRunLoop = InRunLoop();
        while (!Killed() && mPasses < 1000000)
            ++mPasses;
        return 7;
    }
    std::atomic<bool> mSawInRunLoop{false};
    std::atomic<long> mPasses{0};
};

class ThrowingProcessor : public Processor {
public:
    int Run() override { throw std::runtime_error("engine fault"); }
};

class Observable : public ProcessorPerformanceComponent {
public:
    Observable() : ProcessorPerformanceComponent(CFSTR("test.processor")) {}
};

SInt32 Value(const PerformanceComponent& inComponent, CFStringRef inKey) {
    SInt32 value = -1;
    CFNumberRef number =
        static_cast<CFNumberRef>(CFDictionaryGetValue(inComponent.GetComponentData(), inKey));
    if (number != nullptr)
        CFNumberGetValue(number, kCFNumberSInt32Type, &value);
    return value;
}

class SamplingEngine : public PerformanceEngine {
public:
    unsigned long MicrosecondSleepTime() const override { return 1000; }
    void ProcessSelf(CFDictionaryRef) override { ++mSamples; }
    std::atomic<int> mSamples{0};
};

} // namespace

TEST(ProcessorTest, RunsOnItsThreadOnceAndStopsWhenKilled) {
    CountingProcessor processor;
    processor.JoinRunLoop(); // not started: returns at once
    EXPECT_FALSE(processor.Killed());
    processor.KillRunLoop();
    EXPECT_TRUE(processor.Killed());
    ASSERT_EQ(processor.EnterRunLoop(), 0);
    processor.JoinRunLoop();
    processor.JoinRunLoop();
    EXPECT_TRUE(processor.mSawInRunLoop);
    EXPECT_FALSE(processor.InRunLoop());
    EXPECT_EQ(processor.mPasses, 0);
    EXPECT_EQ(Processor::ProcessorRun(nullptr), nullptr);
}

TEST(ProcessorTest, AnExceptionInRunIsReportedInsteadOfEndingTheProcess) {
    ThrowingProcessor processor;
    CaptureStderr();
    ASSERT_EQ(processor.EnterRunLoop(), 0);
    processor.JoinRunLoop();
    EXPECT_NE(GetCapturedStderr().find("engine fault"), std::string::npos);
}

TEST(ProcessorTest, CountersArePublishedAsThreeValues) {
    Observable processor;
    processor.UpdateComponentDetails();
    EXPECT_EQ(Value(processor, CFSTR("status")), 1);
    EXPECT_EQ(Value(processor, CFSTR("elements.processed")), 0);
    processor.IncrementPerformanceDetails(2, 1, 100);
    processor.IncrementPerformanceDetails(2, 1, 50);
    processor.UpdateComponentDetails();
    EXPECT_EQ(Value(processor, CFSTR("status")), 2);
    EXPECT_EQ(Value(processor, CFSTR("elements.processed")), 2);
    EXPECT_EQ(Value(processor, CFSTR("bytes.processed")), 150);
    processor.IncrementPerformanceDetails(1, 0, 0);
    processor.UpdateComponentDetails();
    EXPECT_EQ(Value(processor, CFSTR("status")), 1);
    EXPECT_EQ(Value(processor, CFSTR("bytes.processed")), 150);
}

TEST(PerformanceProcessorTest, WithoutAnEngineNothingIsSampled) {
    PerformanceProcessor processor(nullptr);
    ASSERT_EQ(processor.EnterRunLoop(), 0);
    processor.JoinRunLoop(); // ends by itself
    processor.ThreadUnsafeProcess();
}

TEST(PerformanceProcessorTest, SamplesUntilKilledWhileCountersChange) {
    SamplingEngine engine;
    Observable observed;
    engine.RegisterComponent(&observed);
    PerformanceProcessor processor(&engine);
    ASSERT_EQ(processor.EnterRunLoop(), 0);
    for (int i = 0; i < 2000 || engine.mSamples < 2; ++i) {
        observed.IncrementPerformanceDetails(2, 1, 1);
        observed.SetPerformanceAttribute_SInt32(CFSTR("pass"), i);
    }
    processor.KillRunLoop();
    processor.JoinRunLoop();
    const int sampled = engine.mSamples;
    processor.ThreadUnsafeProcess();
    EXPECT_EQ(engine.mSamples, sampled + 1);
}
