#include "engines/imageengines/KCMYImageEngineAssistant.h"
#include "engines/imageengines/NullKCMYImageEngineAssistant.h"

#include "rows-and-blocks/sourcerows/RasterSourceRow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace Tarvel;

namespace {

// Hands out a prepared row once per call and counts the calls; the row's planes are the
// given byte strings.
class CannedImageEngine : public ImageEngine {
public:
    explicit CannedImageEngine(std::vector<std::string> inPlanes) : mPlanes(std::move(inPlanes)) {}
    ImageRow* CreateImageRow(const SourceRow* inSourceRow) override {
        mLastSource = inSourceRow;
        ++mCalls;
        auto* row = new ImageRow;
        for (const std::string& bytes : mPlanes)
            row->AppendPlane(new Plane(bytes.data(), static_cast<long>(bytes.size())));
        return row;
    }
    std::vector<std::string> mPlanes;
    const SourceRow* mLastSource = nullptr;
    int mCalls = 0;
};

std::vector<std::string> Planes(const ImageRow& inRow) {
    std::vector<std::string> planes;
    for (long i = 0; i < inRow.GetPlaneCount(); ++i) {
        const Plane* plane = inRow.GetPlaneAtIndex(i);
        planes.emplace_back(plane->Get() ? plane->Get() : "",
                            static_cast<size_t>(plane->GetByteSize()));
    }
    return planes;
}

std::vector<std::string> RunThrough(ImageEngineAssistant& inAssistant) {
    RasterSourceRow source(nullptr, 3, 0, RasterSourceRow::kPixelFormatRGB24);
    std::unique_ptr<ImageRow> row(inAssistant.CreateImageRow(&source));
    return Planes(*row);
}

} // namespace

TEST(KCMYImageEngineAssistantTest, BlackReplacesCoincidingColourDotsBitByBit) {
    struct Case {
        std::string c, m, y, k, cOut, mOut, yOut;
    };
    const Case cases[] = {
        {"\xFF\xFF", "\xFF\xFF", "\xFF\xFF", "\xFF\xFF", std::string(2, '\0'), std::string(2, '\0'),
         std::string(2, '\0')},
        {"\xF0", "\xCC", "\xAA", "\x80", "\x70", "\x4C", "\x2A"},
        {"\x0F", "\xF0", "\xFF", std::string(1, '\0'), "\x0F", "\xF0", "\xFF"},
    };
    for (const Case& c : cases) {
        CannedImageEngine client({c.c, c.m, c.y});
        KCMYImageEngineAssistant assistant(&client);
        EXPECT_EQ(RunThrough(assistant), (std::vector<std::string>{c.k, c.cOut, c.mOut, c.yOut}));
    }
}

TEST(KCMYImageEngineAssistantTest, RowsWithoutThreePlanesPassUnchanged) {
    const std::vector<std::vector<std::string>> rows = {
        {"\xFF\x81"}, {"\xFF", "\xFF"}, {"\xFF", "\xFF", "\xFF", "\xFF"}};
    for (const auto& planes : rows) {
        CannedImageEngine client(planes);
        KCMYImageEngineAssistant black(&client);
        NullKCMYImageEngineAssistant null(&client);
        EXPECT_EQ(RunThrough(black), planes);
        EXPECT_EQ(RunThrough(null), planes);
    }
}

TEST(KCMYImageEngineAssistantTest, NullAssistantAddsAnEmptyBlackPlaneAsLongAsCyan) {
    CannedImageEngine client({"\xF0\x01\x02", "\xCC\x01\x02", "\xAA\x01\x02"});
    NullKCMYImageEngineAssistant assistant(&client);
    EXPECT_EQ(RunThrough(assistant), (std::vector<std::string>{std::string(3, '\0'), "\xF0\x01\x02",
                                                               "\xCC\x01\x02", "\xAA\x01\x02"}));
}

TEST(KCMYImageEngineAssistantTest, ClientSeesTheSameSourceRowAndIsNotOwned) {
    auto client = std::make_unique<CannedImageEngine>(std::vector<std::string>{"\x01"});
    RasterSourceRow source(nullptr, 3, 0, RasterSourceRow::kPixelFormatRGB24);
    {
        KCMYImageEngineAssistant assistant(client.get());
        std::unique_ptr<ImageRow> row(assistant.CreateImageRow(&source));
    }
    // Still alive after the assistant is gone (ASan would flag a double delete).
    EXPECT_EQ(client->mCalls, 1);
    EXPECT_EQ(client->mLastSource, &source);
}
