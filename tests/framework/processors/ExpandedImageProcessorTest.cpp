#include "processors/ExpandedImageProcessor.h"

#include "StageFakes.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Tarvel;
using namespace StageFakes;

TEST(ExpandedImageProcessorTest, WidenedRowRepeatsEveryPixelInSuccession) {
    const char bytes[12] = {0, 1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9};
    RasterSourceRow row(bytes, 12, 2, 16);
    std::unique_ptr<RasterSourceRow> wide(ExpandedImageProcessor::CreateExpandedRow(&row, 3));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->GetByteSize(), 36);
    EXPECT_EQ(wide->GetPixelCount(), 9u);
    EXPECT_EQ(wide->GetPixelLayout(), 2u);
    EXPECT_EQ(wide->GetPixelFormat(), 16u);
    for (int pixel = 0; pixel < 9; ++pixel)
        EXPECT_EQ(std::memcmp(wide->GetImageRow() + 4 * pixel, bytes + 4 * (pixel / 3), 4), 0)
            << pixel;

    RasterSourceRow empty(nullptr, 0, 2, 16);
    EXPECT_EQ(ExpandedImageProcessor::CreateExpandedRow(&empty, 2), nullptr);
    EXPECT_EQ(ExpandedImageProcessor::CreateExpandedRow(nullptr, 2), nullptr);
}

TEST(ExpandedImageProcessorTest, TwoByTwoMakesTwoDoubledImageRowsPerSourceRow) {
    SourceRowQueue in(0);
    ImageRowQueue out(0);
    in.Enqueue(new CountedSourceRow(nullptr, 400)); // 100 pixels
    in.Enqueue(nullptr);
    in.Enqueue(new CountedSourceRow(nullptr, 40));
    in.SetEndOfQueue();
    FakeImageEngine engine;
    {
        ExpandedImageProcessor processor(&in, &engine, &out, 2, 2);
        processor.Run();
    }
    EXPECT_EQ(engine.mPixelCounts, (std::vector<unsigned long>{200, 200, 20, 20}));
    EXPECT_EQ(sLiveSourceRows, 0);
    std::vector<long> sizes;
    while (!out.EndOfQueue()) {
        ImageRow* row = out.Dequeue();
        if (row != nullptr)
            sizes.push_back(row->GetByteSize());
        delete row;
    }
    EXPECT_EQ(sizes, (std::vector<long>{800, 800, 80, 80}));
}

TEST(ExpandedImageProcessorTest, NullImageRowsAreNotQueued) {
    SourceRowQueue in(0);
    ImageRowQueue out(0);
    in.Enqueue(new CountedSourceRow(nullptr, 16));
    in.SetEndOfQueue();
    FakeImageEngine engine(/*null rows*/ true);
    ExpandedImageProcessor processor(&in, &engine, &out, 1, 1);
    processor.Run();
    EXPECT_EQ(engine.mCalls, 1);
    out.UpdateComponentDetails();
    EXPECT_FALSE(out.EndOfQueue());
    EXPECT_EQ(out.Dequeue(), nullptr); // only the end marker
    EXPECT_TRUE(out.EndOfQueue());
}
