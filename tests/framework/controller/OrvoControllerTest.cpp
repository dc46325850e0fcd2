#include "controller/OrvoController.h"

#include "engines/translationengines/NullTranslationEngine.h"
#include "events/CancelEvent.h"
#include "events/ErrorEvent.h"
#include "events/OrvoEventController.h"

#include "../processors/StageFakes.h"

#include <CoreFoundation/CFNumber.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <random>
#include <stdexcept>
#include <thread>

using namespace Tarvel;
using namespace StageFakes;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

// A stop event that tells the test when the page's loop has processed it.
class NotifyingCancel : public CancelEvent {
public:
    explicit NotifyingCancel(std::promise<void>& inProcessed) : mProcessed(inProcessed) {}
    void Process() override {
        CancelEvent::Process();
        mProcessed.set_value();
    }

private:
    std::promise<void>& mProcessed;
};

// A stop event that says nothing.
class QuietCancel : public Event {
public:
    QuietCancel() : Event(kStopEventType) {}
};

class SamplingEngine : public PerformanceEngine {
public:
    ~SamplingEngine() override {
        if (mLast != nullptr)
            CFRelease(mLast);
    }
    unsigned long MicrosecondSleepTime() const override { return 500; }
    void ProcessSelf(CFDictionaryRef inAll) override {
        if (mLast != nullptr)
            CFRelease(mLast);
        mLast = CFDictionaryCreateCopy(nullptr, inAll);
        ++mSamples;
    }
    SInt32 Figure(CFStringRef inComponent, CFStringRef inKey) const {
        CFDictionaryRef data =
            static_cast<CFDictionaryRef>(CFDictionaryGetValue(mLast, inComponent));
        SInt32 value = -1;
        if (data != nullptr && CFDictionaryGetValue(data, inKey) != nullptr)
            CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(data, inKey)),
                             kCFNumberSInt32Type, &value);
        return value;
    }
    CFDictionaryRef mLast = nullptr;
    int mSamples = 0;
};

std::vector<std::string> ExpectedBlocks(long inRows, int inRepeat = 1) {
    std::vector<std::string> blocks{"S"};
    for (long row = 0; row < inRows; ++row)
        for (int i = 0; i < inRepeat; ++i)
            blocks.push_back(RowLabel(row));
    blocks.push_back("E");
    return blocks;
}

class OrvoControllerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(LiveUnits(), 0); }
    void TearDown() override {
        EXPECT_EQ(LiveUnits(), 0);
        EXPECT_EQ(OrvoEventController::GetEventQueue(), nullptr);
    }

    // One page through the fakes with small queues, so that every stage waits on another.
    long RunPage(ImageSource& inSource, TranslationEngine& inTranslation,
                 PerformanceEngine* inPerformance = nullptr, unsigned char inMultiplier = 0) {
        OrvoEventController events;
        OrvoController controller(&events);
        controller.SetMaximumQueueSize(64);
        if (inMultiplier > 0)
            controller.UseImageRowExpansion(true, inMultiplier, inMultiplier);
        return controller.Run(&inSource, &mImage, &mCompression, &inTranslation, &mDelivery,
                              inPerformance);
    }

    FakeImageEngine mImage;
    FakeCompressionEngine mCompression;
    FakeTranslationEngine mTranslation;
    RecordingDeliveryEngine mDelivery;
};

} // namespace

TEST_F(OrvoControllerTest, QueueBoundIsAFraction78OfPhysicalMemory) {
    OrvoController controller(nullptr);
    const unsigned long memory = controller.GetPhysicalRAMSize();
    EXPECT_GT(memory, 0u);
    EXPECT_EQ(controller.GetMaximumQueueSize(), static_cast<long>(memory / 78));
    CancelEvent cancel;
    Event status(Event::kStatusEventType);
    EXPECT_TRUE(controller.IsCancelEvent(&cancel));
    EXPECT_FALSE(controller.IsCancelEvent(&status));
    EXPECT_FALSE(controller.IsCancelEvent(nullptr));
}

TEST_F(OrvoControllerTest, EveryRowArrivesInOrderBetweenStartAndEndBlocks) {
    FakeImageSource source(300, 16, /*null every*/ 7);
    EXPECT_EQ(RunPage(source, mTranslation), 0);
    EXPECT_EQ(mDelivery.mDelivered, ExpectedBlocks(300));
    EXPECT_EQ(mDelivery.mStarts, 1);
    EXPECT_EQ(mDelivery.mEnds, 1);
}

TEST_F(OrvoControllerTest, PageWithoutRowsStillDeliversStartAndEndBlocks) {
    FakeImageSource source(0);
    EXPECT_EQ(RunPage(source, mTranslation), 0);
    EXPECT_EQ(mDelivery.mDelivered, ExpectedBlocks(0));
    EXPECT_EQ(mImage.mCalls, 0);
}

TEST_F(OrvoControllerTest, NullImageRowsReachNoFurtherThanTheCompressionStage) {
    FakeImageEngine nullImages(true);
    FakeImageSource source(20);
    OrvoEventController events;
    OrvoController controller(&events);
    controller.SetMaximumQueueSize(64);
    EXPECT_EQ(
        controller.Run(&source, &nullImages, &mCompression, &mTranslation, &mDelivery, nullptr), 0);
    EXPECT_EQ(nullImages.mCalls, 20);
    EXPECT_EQ(mCompression.mCalls, 0);
    EXPECT_EQ(mDelivery.mDelivered, ExpectedBlocks(0));
}

TEST_F(OrvoControllerTest, EmptyBlocksAndTheNullTranslationEngineDeliverNothing) {
    FakeImageSource source(10);
    FakeTranslationEngine emptyBlocks(true);
    EXPECT_EQ(RunPage(source, emptyBlocks), 0);
    EXPECT_EQ(emptyBlocks.mRowBlocks, 10);
    EXPECT_EQ(mDelivery.mDelivered, ExpectedBlocks(0));

    FakeImageSource again(10);
    NullTranslationEngine nothing;
    RecordingDeliveryEngine delivery;
    OrvoEventController events;
    OrvoController controller(&events);
    EXPECT_EQ(controller.Run(&again, &mImage, &mCompression, &nothing, &delivery, nullptr), 0);
    EXPECT_TRUE(delivery.mDelivered.empty());
    EXPECT_EQ(delivery.mStarts, 1);
    EXPECT_EQ(delivery.mEnds, 1);
}

TEST_F(OrvoControllerTest, ExpansionTwoByTwoDoublesEachRowAndItsPixels) {
    FakeImageSource source(5, 400); // 100 pixels a row
    EXPECT_EQ(RunPage(source, mTranslation, nullptr, 2), 0);
    EXPECT_EQ(mImage.mPixelCounts, std::vector<unsigned long>(10, 200));
    EXPECT_EQ(mDelivery.mDelivered, ExpectedBlocks(5, 2));
}

TEST_F(OrvoControllerTest, CancelDropsQueuedBlocksStopsTheSourceAndEndsDeliveryOnce) {
    FakeImageSource source(1000);
    RecordingDeliveryEngine gated(true);
    std::promise<void> processed;
    long result = -1;
    {
        OrvoEventController events;
        OrvoController controller(&events);
        controller.SetMaximumQueueSize(64); // every queue fills while delivery is held
        std::thread page([&] {
            result =
                controller.Run(&source, &mImage, &mCompression, &mTranslation, &gated, nullptr);
        });
        gated.WaitUntilHeld(); // the start block is being delivered
        CaptureStderr();
        ASSERT_TRUE(OrvoEventController::PostToCurrentQueue(new NotifyingCancel(processed)));
        processed.get_future().wait();
        gated.Open();
        page.join();
        EXPECT_EQ(GetCapturedStderr(), "CancelEvent::Process\n");
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(gated.mDelivered, (std::vector<std::string>{"S"})); // nothing after the cancel
    EXPECT_EQ(gated.mStarts, 1);
    EXPECT_EQ(gated.mEnds, 1);
    EXPECT_LT(source.Produced(), 1000); // the rest of the page was not read
    EXPECT_EQ(mTranslation.mEndBlocks, 1);
}

TEST_F(OrvoControllerTest, ErrorEventStopsThePageLikeACancel) {
    // The delivery engine's first block posts an error, and waits until it was shown.
    class FailingDelivery : public RecordingDeliveryEngine {
    public:
        void Deliver(const TranslatedBlock* inBlock) override {
            RecordingDeliveryEngine::Deliver(inBlock);
            if (mDelivered.size() == 1) {
                OrvoEventController::PostError(CFSTR("OutputError-Writing"), 5,
                                               CFSTR("FailingDelivery.cpp"), 12);
                mShown.get_future().wait();
            }
        }
        std::promise<void> mShown;
    } failing;
    class ShowingController : public OrvoEventController {
    public:
        explicit ShowingController(std::promise<void>& inShown) : mShown(inShown) {}
        ~ShowingController() override { ResignAsCurrentController(); }
        Event* CreateErrorEvent(CFStringRef inMessage, unsigned long inCode, CFStringRef inFile,
                                unsigned long inLine) override {
            class Shown : public ErrorEvent {
            public:
                Shown(std::promise<void>& inShown, CFStringRef m, unsigned long c, CFStringRef f,
                      unsigned long l)
                    : ErrorEvent(m, c, f, l), mShown(inShown) {}
                void Process() override {
                    ErrorEvent::Process();
                    mShown.set_value();
                }
                std::promise<void>& mShown;
            };
            return new Shown(mShown, inMessage, inCode, inFile, inLine);
        }
        std::promise<void>& mShown;
    };

    FakeImageSource source(1000);
    ShowingController events(failing.mShown);
    OrvoController controller(&events);
    controller.SetMaximumQueueSize(64);
    CaptureStderr();
    EXPECT_EQ(controller.Run(&source, &mImage, &mCompression, &mTranslation, &failing, nullptr), 0);
    EXPECT_EQ(GetCapturedStderr(), "OutputError-Writing\nFailingDelivery.cpp\n");
    EXPECT_EQ(failing.mDelivered, (std::vector<std::string>{"S"}));
    EXPECT_EQ(failing.mEnds, 1);
    EXPECT_LT(source.Produced(), 1000);
}

TEST_F(OrvoControllerTest, FailureInTheEventLoopStopsAndWaitsForEveryThread) {
    // A status event whose processing fails while every stage waits in a full queue.
    class FailingEvent : public Event {
    public:
        explicit FailingEvent(RecordingDeliveryEngine& inGate)
            : Event(kStatusEventType), mGate(inGate) {}
        void Process() override {
            mGate.Open();
            throw std::runtime_error("status could not be shown");
        }
        RecordingDeliveryEngine& mGate;
    };
    FakeImageSource source(1000);
    RecordingDeliveryEngine gated(true);
    OrvoEventController events;
    OrvoController controller(&events);
    controller.SetMaximumQueueSize(64);
    long result = 0;
    std::thread page([&] {
        result = controller.Run(&source, &mImage, &mCompression, &mTranslation, &gated, nullptr);
    });
    gated.WaitUntilHeld();
    CaptureStderr();
    OrvoEventController::Post(new FailingEvent(gated));
    page.join();
    const std::string errors = GetCapturedStderr();
    EXPECT_EQ(result, OrvoController::kUnexpectedFailureStatus);
    EXPECT_NE(errors.find("status could not be shown"), std::string::npos) << errors;
    EXPECT_EQ(gated.mEnds, 1);
    EXPECT_LT(source.Produced(), 1000);
    // The queues and processors are gone and every unit with them (checked in TearDown).
}

TEST_F(OrvoControllerTest, FinalSampleReportsEveryComponentFinished) {
    SamplingEngine engine;
    FakeImageSource source(50);
    EXPECT_EQ(RunPage(source, mTranslation, &engine), 0);
    ASSERT_GE(engine.mSamples, 1);
    EXPECT_EQ(CFDictionaryGetCount(engine.mLast), 9);
    for (CFStringRef name :
         {CFSTR("source.processor"), CFSTR("image.processor"), CFSTR("compression.processor"),
          CFSTR("translation.processor"), CFSTR("delivery.processor")})
        EXPECT_EQ(engine.Figure(name, CFSTR("status")), 1);
    EXPECT_EQ(engine.Figure(CFSTR("source.processor"), CFSTR("elements.processed")), 50);
    EXPECT_EQ(engine.Figure(CFSTR("source.processor"), CFSTR("bytes.processed")), 800);
    EXPECT_EQ(engine.Figure(CFSTR("translation.processor"), CFSTR("elements.processed")), 52);
    EXPECT_EQ(engine.Figure(CFSTR("delivery.processor"), CFSTR("elements.processed")), 52);
    EXPECT_EQ(engine.Figure(CFSTR("source.row.queue"), CFSTR("historic.element.count")), 51);
    EXPECT_EQ(engine.Figure(CFSTR("translated.block.queue"), CFSTR("element.count")), 0);

    // The page's components are gone from the engine once Run has returned.
    engine.Process();
    EXPECT_EQ(CFDictionaryGetCount(engine.mLast), 0);
}

TEST_F(OrvoControllerTest, StressManyShortPagesCancelledAtRandomPoints) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int pages = 0;
    for (; pages < 150 && std::chrono::steady_clock::now() < deadline; ++pages) {
        const long rows = std::uniform_int_distribution<long>(0, 200)(random);
        const long bound = std::uniform_int_distribution<int>(0, 2)(random) == 0 ? 0 : 200;
        const unsigned char multiplier =
            std::uniform_int_distribution<int>(0, 2)(random) == 2 ? 2 : 0;
        const int cancelAfterMicroseconds = std::uniform_int_distribution<int>(0, 3000)(random);
        const bool cancel = std::uniform_int_distribution<int>(0, 3)(random) != 0;
        const bool sample = std::uniform_int_distribution<int>(0, 1)(random) == 1;

        FakeImageSource source(rows);
        FakeImageEngine image;
        FakeCompressionEngine compression;
        FakeTranslationEngine translation;
        RecordingDeliveryEngine delivery;
        SamplingEngine sampling;
        {
            OrvoEventController events;
            OrvoController controller(&events);
            controller.SetMaximumQueueSize(bound);
            if (multiplier > 0)
                controller.UseImageRowExpansion(true, multiplier, multiplier);
            std::thread canceller([&] {
                if (!cancel)
                    return;
                std::this_thread::sleep_for(std::chrono::microseconds(cancelAfterMicroseconds));
                OrvoEventController::PostToCurrentQueue(new QuietCancel());
            });
            EXPECT_EQ(controller.Run(&source, &image, &compression, &translation, &delivery,
                                     sample ? &sampling : nullptr),
                      0);
            canceller.join(); // a late cancel stays in the queue and goes with it
        }
        ASSERT_EQ(LiveUnits(), 0) << "page " << pages;
        ASSERT_EQ(delivery.mStarts, 1);
        ASSERT_EQ(delivery.mEnds, 1);
        // What was delivered is the start of the page, in order, without gaps.
        const std::vector<std::string> full = ExpectedBlocks(rows, multiplier > 0 ? 2 : 1);
        ASSERT_LE(delivery.mDelivered.size(), full.size());
        for (size_t i = 0; i < delivery.mDelivered.size(); ++i)
            ASSERT_EQ(delivery.mDelivered[i], full[i]) << "page " << pages << " block " << i;
        if (!cancel) {
            ASSERT_EQ(delivery.mDelivered.size(), full.size());
        }
    }
    EXPECT_GT(pages, 0);
}
