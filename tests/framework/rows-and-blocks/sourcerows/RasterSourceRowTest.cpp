#include "rows-and-blocks/sourcerows/RasterSourceRow.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Tarvel;

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

std::vector<Rgb> ReadAll(const RasterSourceRow& inRow) {
    std::vector<Rgb> pixels;
    SourceRow::SourceRowIterator* iterator = inRow.CreatePixelIterator();
    unsigned char r = 0, g = 0, b = 0;
    while (iterator->NextPixel(r, g, b))
        pixels.push_back({r, g, b});
    inRow.ReleasePixelIterator(iterator);
    return pixels;
}

std::vector<int> ReadGrey(const RasterSourceRow& inRow) {
    std::vector<int> pixels;
    SourceRow::SourceRowIterator* iterator = inRow.CreatePixelIterator();
    unsigned char grey = 0;
    while (iterator->NextPixel(grey))
        pixels.push_back(grey);
    inRow.ReleasePixelIterator(iterator);
    return pixels;
}

} // namespace

TEST(RasterSourceRowTest, SizesAndCopies) {
    RasterSourceRow zeroed(nullptr, 16, 2, 16);
    EXPECT_EQ(zeroed.GetByteSize(), 16);
    EXPECT_EQ(zeroed.GetPixelCount(), 4u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(zeroed.GetImageRow()[i], 0);

    char data[7] = {1, 2, 3, 4, 5, 6, 7};
    RasterSourceRow row(data, 7, 2, 4);
    data[0] = 0;
    EXPECT_EQ(row.GetPixelCount(), 2u); // whole pixels only
    std::unique_ptr<RasterSourceRow> copy(row.Copy());
    EXPECT_EQ(copy->GetByteSize(), 7);
    EXPECT_EQ(copy->GetPixelLayout(), 2u);
    EXPECT_EQ(copy->GetPixelFormat(), 4u);
    EXPECT_NE(copy->GetImageRow(), row.GetImageRow());
    EXPECT_EQ(ReadAll(*copy), (std::vector<Rgb>{{1, 2, 3}, {4, 5, 6}}));
}

TEST(RasterSourceRowTest, PixelWidths) {
    const struct {
        unsigned long format, width;
    } cases[] = {{2, 1}, {4, 3}, {8, 3}, {16, 4}, {32, 4}, {64, 4}, {128, 4}, {1, 0}, {99, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(RasterSourceRow::GetPixelWidth(c.format), c.width) << c.format;
}

TEST(RasterSourceRowTest, ComponentOffsetsByFormat) {
    const char pixels[8] = {10, 20, 30, 40, 50, 60, 70, 80};
    EXPECT_EQ(ReadAll(RasterSourceRow(pixels, 8, 2, 16)),
              (std::vector<Rgb>{{20, 30, 40}, {60, 70, 80}}));
    EXPECT_EQ(ReadAll(RasterSourceRow(pixels, 8, 2, 32)),
              (std::vector<Rgb>{{10, 20, 30}, {50, 60, 70}}));
    EXPECT_EQ(ReadAll(RasterSourceRow(pixels, 8, 2, 64)),
              (std::vector<Rgb>{{10, 20, 30}, {50, 60, 70}}));
    EXPECT_EQ(ReadAll(RasterSourceRow(pixels, 6, 2, 8)),
              (std::vector<Rgb>{{10, 20, 30}, {40, 50, 60}}));
}

TEST(RasterSourceRowTest, XRGBRowOfTwelveBytesHasThreePixelsThenEnds) {
    const char bytes[12] = {0, 1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9};
    RasterSourceRow row(bytes, 12, 2, 16);
    SourceRow::SourceRowIterator* iterator = row.CreatePixelIterator();
    unsigned char r, g, b;
    for (int pixel = 0; pixel < 3; ++pixel) {
        ASSERT_TRUE(iterator->NextPixel(r, g, b));
        EXPECT_EQ(r, 3 * pixel + 1);
        EXPECT_EQ(g, 3 * pixel + 2);
        EXPECT_EQ(b, 3 * pixel + 3);
    }
    r = g = b = 77;
    EXPECT_FALSE(iterator->NextPixel(r, g, b));
    EXPECT_EQ(r, 77); // outputs untouched past the end
    row.ReleasePixelIterator(iterator);
}

TEST(RasterSourceRowTest, GreyOfColourPixelsIsTheLuminance) {
    const unsigned char bytes[] = {0, 255, 255, 255, 0, 255, 0, 255, 0, 0, 0, 0};
    RasterSourceRow row(reinterpret_cast<const char*>(bytes), sizeof bytes, 2, 16);
    EXPECT_EQ(ReadGrey(row), (std::vector<int>{255, 105, 0}));
}

TEST(RasterSourceRowTest, GreyFormatReadsInvertedAsColourAndUnchangedAsGrey) {
    const unsigned char bytes[] = {0, 200, 255};
    RasterSourceRow row(reinterpret_cast<const char*>(bytes), 3, 2, 2);
    EXPECT_EQ(ReadAll(row), (std::vector<Rgb>{{255, 255, 255}, {55, 55, 55}, {0, 0, 0}}));
    EXPECT_EQ(ReadGrey(row), (std::vector<int>{0, 200, 255}));
}

TEST(RasterSourceRowTest, UnreadableFormatsAndOtherFormsReadNothing) {
    RasterSourceRow unreadable(nullptr, 8, 2, 128);
    EXPECT_TRUE(ReadAll(unreadable).empty());
    EXPECT_TRUE(ReadGrey(unreadable).empty());
    RasterSourceRow unknown(nullptr, 8, 2, 3);
    EXPECT_EQ(unknown.GetPixelCount(), 0u);
    EXPECT_TRUE(ReadAll(unknown).empty());

    RasterSourceRow row(nullptr, 8, 2, 16);
    SourceRow::SourceRowIterator* iterator = row.CreatePixelIterator();
    unsigned char a = 1, b = 1, c = 1, d = 1;
    EXPECT_FALSE(iterator->NextPixel(a, b, c, d));
    EXPECT_FALSE(iterator->PreviousPixel(a));
    EXPECT_FALSE(iterator->PreviousPixel(a, b, c));
    iterator->MoveToLastPixel();
    iterator->MoveToFirstPixel();
    EXPECT_EQ(a, 1);
    row.ReleasePixelIterator(iterator);
}
