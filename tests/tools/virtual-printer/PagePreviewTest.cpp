#include "PagePreview.h"

#include "StreamSupport.h"

#include <gtest/gtest.h>

namespace Tarvel::VirtualPrinter {
namespace {

TEST(PagePreviewTest, AveragesBlocksWithPaperWhereNothingWasPrinted) {
    PagePreview preview(2);
    // Row 0: black, black, white, black, black (5 pixels); row 1 one black pixel.
    std::vector<std::uint8_t> row0 = {0, 0, 0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 0};
    std::vector<std::uint8_t> row1 = {0, 0, 0};
    preview.AddRow(row0.data(), 5);
    preview.AddRow(row1.data(), 1);
    preview.AddRow(row1.data(), 1); // a third row makes a half block
    preview.Finish();
    ASSERT_EQ(preview.Width(), 3u);
    ASSERT_EQ(preview.Height(), 2u);
    EXPECT_EQ(Streams::PixelAt(preview, 0, 0), 0x404040u); // 1 white of 4: 63.75
    EXPECT_EQ(Streams::PixelAt(preview, 1, 0), 0xBFBFBFu); // 1 black of 4: 191.25
    EXPECT_EQ(Streams::PixelAt(preview, 2, 0), 0xBFBFBFu);
    EXPECT_EQ(Streams::PixelAt(preview, 0, 1), 0xBFBFBFu);
}

TEST(PagePreviewTest, SizeLimitsClipInsteadOfGrowing) {
    PagePreview preview(1, 4, 3);
    std::vector<std::uint8_t> row(3 * 10, 0);
    preview.AddRow(row.data(), 10);
    preview.AddBlankRows(1000000000000ULL);
    preview.AddRow(row.data(), 10);
    preview.Finish();
    EXPECT_EQ(preview.Width(), 4u);
    EXPECT_EQ(preview.Height(), 3u);
    EXPECT_TRUE(preview.Clipped());
}

} // namespace
} // namespace Tarvel::VirtualPrinter
