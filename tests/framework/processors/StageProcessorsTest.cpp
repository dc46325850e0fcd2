// The stage loops run on the test thread over prepared queues: the end-of-stream
// protocol, null units, and early stops.
#include "processors/CompressionProcessor.h"
#include "processors/DeliveryProcessor.h"
#include "processors/ImageProcessor.h"
#include "processors/SourceProcessor.h"
#include "processors/TranslationProcessor.h"

#include "StageFakes.h"

#include <gtest/gtest.h>

using namespace Tarvel;
using namespace StageFakes;

namespace {

template <class Queue>
std::vector<bool> Drain(Queue& ioQueue) {
    std::vector<bool> nonNull;
    while (!ioQueue.EndOfQueue()) {
        auto* unit = ioQueue.Dequeue();
        nonNull.push_back(unit != nullptr);
        delete unit;
    }
    return nonNull;
}

class StageProcessorsTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(LiveUnits(), 0); }
};

} // namespace

TEST_F(StageProcessorsTest, SourceStageQueuesEveryRowThenTheMarker) {
    FakeImageSource source(3, 16, /*null every*/ 2);
    SourceRowQueue out(0);
    SourceProcessor processor(&source, &out);
    processor.Run();
    EXPECT_EQ(Drain(out), (std::vector<bool>{true, true, true, false}));
}

TEST_F(StageProcessorsTest, SourceStageStopsReadingWhenItsQueueIsClosed) {
    FakeImageSource source(1000);
    SourceRowQueue out(0);
    out.FlushAndSetEndOfQueue();
    SourceProcessor processor(&source, &out);
    processor.Run();
    EXPECT_EQ(source.Produced(), 0);
}

TEST_F(StageProcessorsTest, ImageAndCompressionStagesPassNullResultsOn) {
    SourceRowQueue sources(0);
    sources.Enqueue(new CountedSourceRow(nullptr, 8));
    sources.Enqueue(nullptr);
    sources.Enqueue(new CountedSourceRow(nullptr, 8));
    sources.SetEndOfQueue();
    ImageRowQueue images(0);
    FakeImageEngine nullImages(true);
    ImageProcessor(&sources, &nullImages, &images).Run();
    EXPECT_EQ(sLiveSourceRows, 0); // each source row deleted after use

    CompressedRowQueue compressed(0);
    FakeCompressionEngine compression;
    CompressionProcessor(&images, &compression, &compressed).Run();
    EXPECT_EQ(compression.mCalls, 0); // only nulls arrived
    EXPECT_EQ(Drain(compressed), (std::vector<bool>{false}));
}

TEST_F(StageProcessorsTest, TranslationStageFramesTheRowsWithStartAndEndBlocks) {
    CompressedRowQueue in(0);
    in.Enqueue(new CountedCompressedRow());
    in.Enqueue(nullptr);
    in.SetEndOfQueue();
    TranslatedBlockQueue out(0);
    FakeTranslationEngine engine;
    TranslationProcessor(&in, &engine, &out).Run();
    EXPECT_EQ(engine.mStartBlocks, 1);
    EXPECT_EQ(engine.mRowBlocks, 1);
    EXPECT_EQ(engine.mEndBlocks, 1);
    EXPECT_EQ(Drain(out), (std::vector<bool>{true, true, true, false}));
}

TEST_F(StageProcessorsTest, StageWithAClosedOutputClosesItsInputAndStillEnds) {
    CompressedRowQueue in(0);
    for (int i = 0; i < 5; ++i)
        in.Enqueue(new CountedCompressedRow());
    TranslatedBlockQueue out(0);
    out.FlushAndSetEndOfQueue();
    FakeTranslationEngine engine;
    TranslationProcessor(&in, &engine, &out).Run();
    EXPECT_EQ(engine.mRowBlocks, 0);
    EXPECT_EQ(engine.mEndBlocks, 1); // the end block is made, and discarded
    EXPECT_TRUE(in.IsClosed());
    EXPECT_EQ(sLiveCompressedRows, 0);
    EXPECT_EQ(sLiveBlocks, 0);

    // The closed input stops the stage upstream in turn.
    ImageRowQueue images(0);
    images.Enqueue(new CountedImageRow());
    FakeCompressionEngine compression;
    CompressionProcessor(&images, &compression, &in).Run();
    EXPECT_EQ(compression.mCalls, 0);
    EXPECT_TRUE(images.IsClosed());
}

TEST_F(StageProcessorsTest, DeliveryStageSkipsEmptyBlocksAndEndsTheEventQueue) {
    TranslatedBlockQueue in(0);
    in.Enqueue(new CountedBlock("ab"));
    in.Enqueue(new CountedBlock(""));
    in.Enqueue(nullptr);
    in.Enqueue(new CountedBlock("c"));
    in.SetEndOfQueue();
    EventQueue events;
    RecordingDeliveryEngine engine;
    DeliveryProcessor processor(&in, &engine, &events);
    processor.Run();
    EXPECT_EQ(engine.mStarts, 1);
    EXPECT_EQ(engine.mEnds, 1);
    EXPECT_EQ(engine.mDelivered, (std::vector<std::string>{"ab", "c"}));
    EXPECT_EQ(sLiveBlocks, 0);
    EXPECT_FALSE(events.EndOfQueue());
    EXPECT_EQ(events.Dequeue(), nullptr);
    EXPECT_TRUE(events.EndOfQueue());
    CFDictionaryRef attributes = static_cast<CFDictionaryRef>(
        CFDictionaryGetValue(processor.GetComponentData(), CFSTR("orvo.attributes")));
    EXPECT_TRUE(CFDictionaryContainsKey(attributes, CFSTR("DeliveryProcessor started")));
    EXPECT_TRUE(CFDictionaryContainsKey(attributes, CFSTR("DeliveryProcessor ended")));
    EXPECT_FALSE(CFDictionaryContainsKey(attributes, CFSTR("DeliveryProcessor killed")));
}

TEST_F(StageProcessorsTest, KilledDeliveryStageStillEndsDeliveryOnceAndSaysSo) {
    TranslatedBlockQueue in(0);
    in.Enqueue(new CountedBlock("x"));
    EventQueue events;
    RecordingDeliveryEngine engine;
    DeliveryProcessor processor(&in, &engine, &events);
    processor.KillRunLoop();
    processor.Run();
    EXPECT_TRUE(engine.mDelivered.empty());
    EXPECT_EQ(engine.mEnds, 1);
    EXPECT_TRUE(in.IsClosed()); // its block went with the flush
    EXPECT_EQ(sLiveBlocks, 0);
    CFDictionaryRef attributes = static_cast<CFDictionaryRef>(
        CFDictionaryGetValue(processor.GetComponentData(), CFSTR("orvo.attributes")));
    EXPECT_TRUE(CFDictionaryContainsKey(attributes, CFSTR("DeliveryProcessor killed")));
}

TEST_F(StageProcessorsTest, EngineFailureIsReportedAndTheStageStillEndsItsOutput) {
    FakeImageSource source(10, 16, 0, /*throw at*/ 3);
    SourceRowQueue out(0);
    testing::internal::CaptureStderr();
    SourceProcessor(&source, &out).Run();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("SourceProcessor"), std::string::npos) << errors;
    EXPECT_NE(errors.find("the band could not be read"), std::string::npos) << errors;
    EXPECT_EQ(Drain(out), (std::vector<bool>{true, true, true, false}));
}
