#include "JobDecoder.h"
#include "JobOutput.h"

#include "StreamSupport.h"

#include <gtest/gtest.h>

namespace Tarvel::VirtualPrinter {
namespace {

using namespace Streams;

// A PackBits literal group holding inBytes.
std::string Lit(const std::vector<int>& inBytes) {
    return Bytes({static_cast<int>(inBytes.size()) - 1}) + Bytes(inBytes);
}

std::uint64_t Dots(const PageSummary& inPage, const std::string& inInk) {
    for (const InkCount& ink : inPage.inks)
        if (ink.ink == inInk)
            return ink.dots;
    ADD_FAILURE() << "no ink " << inInk;
    return 0;
}

TEST(JobDecoderTest, MonochromeHpRtlJobWithRawAndPackBitsRows) {
    std::string raster = Esc("*b0m2W") + Bytes({0xFF, 0x00}) + // raw: pixels 0-7
                         Esc("*b2m2W") + Bytes({0xFE, 0xA0});  // PackBits: A0 A0 (A0 cut)
    JobSummary summary = DecodeText(HpRtlJob("Test", 16, 2, MonoConfigure(), raster));
    ASSERT_TRUE(summary.Ok()) << ErrorText(summary);
    EXPECT_EQ(summary.language, "HP-RTL");
    ASSERT_EQ(summary.pages.size(), 1u);
    const PageSummary& page = summary.pages[0];
    EXPECT_EQ(page.pjlJobName, "Test");
    ASSERT_EQ(page.pjlVariables.size(), 1u);
    EXPECT_EQ(page.pjlVariables[0].first, "RENDERMODE");
    EXPECT_EQ(page.pjlVariables[0].second, "COLOR");
    EXPECT_EQ(page.hpgl2Commands, (std::vector<std::string>{"BP1,\"Test\",2,1,3,0,4,0,5,1", "QL100",
                                                            "PS6773,3386", "PU", "PA0,0", "PG"}));
    EXPECT_EQ(page.rasterWidth, 16);
    EXPECT_EQ(page.rasterHeight, 2);
    EXPECT_EQ(page.resolution, 300);
    EXPECT_EQ(page.configureImageData, (std::vector<std::uint8_t>{0, 0, 1, 8, 8, 8}));
    EXPECT_EQ(page.palette, (std::vector<std::uint32_t>{0xFFFFFF, 0x000000}));
    EXPECT_EQ(page.compressionModes, (std::vector<int>{0, 2}));
    EXPECT_EQ(page.rows, 2u);
    EXPECT_EQ(page.planesPerRow, 1);
    EXPECT_EQ(Dots(page, "black"), 8u + 4u);
    ASSERT_TRUE(page.preview);
    EXPECT_EQ(page.preview->Width(), 16u);
    EXPECT_EQ(PixelAt(*page.preview, 7, 0), 0x000000u);
    EXPECT_EQ(PixelAt(*page.preview, 8, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*page.preview, 0, 1), 0x000000u);
    EXPECT_EQ(PixelAt(*page.preview, 1, 1), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(*page.preview, 8, 1), 0x000000u);
}

TEST(JobDecoderTest, ColourHpRtlRowsUseThePaletteAndCombinedEscapes) {
    // Pixel 0 cyan+magenta (blue), pixel 1 all three (black), pixel 2 yellow.
    std::string raster = Esc("*b2m2V") + Lit({0xC0}) + Esc("*b2V") + Lit({0xC0}) + Esc("*b2W") +
                         Lit({0x60}) + Esc("*b0V") + Esc("*b0V") + Esc("*b0W");
    JobSummary summary = DecodeText(HpRtlJob("Colour", 8, 2, ColourConfigure(), raster));
    ASSERT_TRUE(summary.Ok()) << ErrorText(summary);
    const PageSummary& page = summary.pages[0];
    EXPECT_EQ(page.planesPerRow, 3);
    EXPECT_EQ(page.rows, 2u);
    EXPECT_EQ(Dots(page, "cyan"), 2u);
    EXPECT_EQ(Dots(page, "magenta"), 2u);
    EXPECT_EQ(Dots(page, "yellow"), 2u);
    EXPECT_EQ(PixelAt(*page.preview, 0, 0), 0x0000FFu);
    EXPECT_EQ(PixelAt(*page.preview, 1, 0), 0x000000u);
    EXPECT_EQ(PixelAt(*page.preview, 2, 0), 0xFFFF00u);
    EXPECT_EQ(PixelAt(*page.preview, 0, 1), 0xFFFFFFu);
}

TEST(JobDecoderTest, DirectRgbRowsAreRenderedAsSent) {
    std::string configure = Esc("*v6W") + Bytes({0, 3, 3, 8, 8, 8});
    std::string raster = Esc("*b0m9W") + Bytes({255, 0, 0, 255, 255, 255, 10, 20, 30});
    JobSummary summary = DecodeText(HpRtlJob("RGB", 3, 1, configure, raster));
    ASSERT_TRUE(summary.Ok()) << ErrorText(summary);
    const PageSummary& page = summary.pages[0];
    EXPECT_EQ(page.inkedPixels, 2u);
    EXPECT_EQ(page.pixelWidth, 3u);
    EXPECT_EQ(PixelAt(*page.preview, 0, 0), 0xFF0000u);
    EXPECT_EQ(PixelAt(*page.preview, 2, 0), 0x0A141Eu);
}

TEST(JobDecoderTest, EncadRowsCarryBlackCyanMagentaYellow) {
    // Pixel 0 black, pixel 1 cyan+yellow (green), pixel 2 magenta.
    std::string row = Esc("*b2m2V") + Lit({0x80}) + Esc("*b2V") + Lit({0x40}) + Esc("*b2V") +
                      Lit({0x20}) + Esc("*b2W") + Lit({0x40});
    JobSummary summary = DecodeText(EncadJob(8, 1, row));
    ASSERT_TRUE(summary.Ok()) << ErrorText(summary);
    EXPECT_EQ(summary.language, "EN-RTL");
    const PageSummary& page = summary.pages[0];
    EXPECT_EQ(page.planesPerRow, 4);
    EXPECT_EQ(Dots(page, "black"), 1u);
    EXPECT_EQ(Dots(page, "yellow"), 1u);
    EXPECT_EQ(PixelAt(*page.preview, 0, 0), 0x000000u);
    EXPECT_EQ(PixelAt(*page.preview, 1, 0), 0x00FF00u);
    EXPECT_EQ(PixelAt(*page.preview, 2, 0), 0xFF00FFu);
    EXPECT_EQ(page.hpgl2Commands.back(), "PG");
}

TEST(JobDecoderTest, Pcl3guiPlaneFormatsGiveTheirLevelsAndInks) {
    auto t = [](const std::vector<int>& inBytes, char inEnd) {
        return Esc("*b" + std::to_string(inBytes.empty() ? 0 : inBytes.size() + 1) + inEnd) +
               (inBytes.empty() ? std::string() : Lit(inBytes));
    };
    std::vector<int> k = {0x80}, c = {0x40}, m = {0x20}, y = {0x10}, none;
    std::string filler;
    for (int i = 0; i < 7; ++i)
        filler += t(none, 'V');
    std::string twelve;
    for (int p = 0; p < 12; ++p)
        twelve += t({p < 8 ? 0x80 >> p : 0, p < 8 ? 0 : 0x80 >> (p - 8)}, p == 11 ? 'W' : 'V');
    struct Case {
        int format;
        int width;
        std::string row;
        int planes;
        std::vector<std::pair<std::string, std::uint64_t>> dots;
        std::vector<std::pair<std::size_t, std::uint32_t>> pixels;
    } cases[] = {
        {0,
         8,
         t(none, 'V') + t(k, 'V') + t(none, 'V') + t(c, 'V') + t(none, 'V') + t(m, 'V') +
             t(none, 'V') + t(y, 'W'),
         8,
         {{"black", 1}, {"cyan", 1}, {"yellow", 1}},
         {{0, 0x555555}, {1, 0x55FFFF}}},
        {1,
         8,
         t(k, 'V') + t(k, 'V') + t(c, 'V') + t(c, 'V') + t(m, 'V') + t(m, 'V') + t(y, 'V') +
             t(y, 'W'),
         8,
         {{"black", 1}, {"magenta", 1}},
         {{0, 0x000000}, {1, 0x00FFFF}, {3, 0xFFFF00}}},
        {2,
         8,
         t(k, 'V') + t(none, 'V') + t(c, 'V') + t(none, 'V') + t(m, 'V') + t(none, 'V') + t(y, 'W'),
         7,
         {{"black", 1}, {"cyan", 1}},
         {{0, 0x000000}, {1, 0x55FFFF}}},
        {3,
         8,
         t(none, 'V') + t(none, 'V') + t(c, 'V') + t(c, 'V') + t(m, 'V') + t(m, 'V') + t(y, 'V') +
             t(y, 'W'),
         8,
         {{"black", 0}, {"cyan", 1}},
         {{0, 0xFFFFFF}, {1, 0x00FFFF}}},
        {4,
         8,
         t(k, 'V') + t(c, 'V') + t(m, 'V') + t(y, 'V') + filler + t(none, 'W'),
         12,
         {{"black", 2}, {"cyan", 2}, {"light-cyan", 0}},
         {{0, 0xAAAAAA}, {1, 0x555555}}},
        {4,
         16,
         twelve,
         12,
         {{"black", 2}, {"cyan", 2}, {"light-cyan", 2}, {"light-magenta", 2}},
         {{3, 0x55FFFF}, {8, 0xDDFFFF}, {9, 0xBBFFFF}}},
        {5,
         8,
         t(k, 'V') + t(c, 'V') + t(m, 'V') + t(y, 'V') + t(none, 'V') + t(none, 'W'),
         6,
         {{"black", 1}, {"yellow", 1}, {"light-magenta", 0}},
         {{0, 0x000000}, {1, 0x00FFFF}}},
        {5,
         8,
         t(k, 'V') + t(k, 'V') + filler.substr(0, 15) + t(none, 'W'),
         6,
         {{"black", 1}, {"cyan", 1}, {"magenta", 0}},
         {{0, 0x000000}}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE("plane format " + std::to_string(test.format) + ", width " +
                     std::to_string(test.width));
        JobSummary summary = DecodeText(Pcl3guiJob(test.format, test.width, test.row));
        ASSERT_TRUE(summary.Ok()) << ErrorText(summary);
        EXPECT_EQ(summary.language, "PCL3GUI");
        ASSERT_EQ(summary.pages.size(), 1u);
        const PageSummary& page = summary.pages[0];
        EXPECT_EQ(page.planesPerRow, test.planes);
        EXPECT_EQ(page.pcl3guiFormat, 2);
        EXPECT_EQ(page.mediaType, 0);
        EXPECT_EQ(page.unitOfMeasure, 300);
        EXPECT_EQ(page.rows, 1u);
        for (const auto& [ink, dots] : test.dots)
            EXPECT_EQ(Dots(page, ink), dots) << ink;
        for (const auto& [x, colour] : test.pixels)
            EXPECT_EQ(PixelAt(*page.preview, x, 0), colour) << "pixel " << x;
    }
}

TEST(JobDecoderTest, EveryPjlJobOfAStreamIsItsOwnPage) {
    std::string row = Esc("*b0m1W") + Bytes({0x80});
    JobSummary summary = DecodeText(HpRtlJob("First", 8, 1, MonoConfigure(), row) +
                                    HpRtlJob("Second", 8, 1, MonoConfigure(), row + row));
    ASSERT_TRUE(summary.Ok()) << ErrorText(summary);
    ASSERT_EQ(summary.pages.size(), 2u);
    EXPECT_EQ(summary.pages[0].pjlJobName, "First");
    EXPECT_EQ(summary.pages[1].pjlJobName, "Second");
    EXPECT_EQ(summary.pages[1].rows, 2u);
    EXPECT_EQ(summary.pages[1].hpgl2Commands.front(), "BP1,\"Second\",2,1,3,0,4,0,5,1");
    EXPECT_EQ(JobOutput::PreviewPath("out/page.png", 0), "out/page.png");
    EXPECT_EQ(JobOutput::PreviewPath("out/page.png", 1), "out/page-2.png");
    EXPECT_EQ(JobOutput::PreviewPath("out.d/page", 2), "out.d/page-3");
}

TEST(JobDecoderTest, Pcl3guiPreviewScaleFollowsThePjlPaperSize) {
    // 36 x 48 inches at 300 dpi: 14400 rows fit in 4096 only at a scale of 4.
    std::string job = Pcl3guiJob(5, 8, "");
    job.replace(job.find("5281"), 4, "34560");
    JobSummary summary = DecodeText(job);
    ASSERT_EQ(summary.pages.size(), 1u);
    EXPECT_EQ(summary.pages[0].preview->Scale(), 4u);
}

TEST(JobDecoderTest, HugeDeclaredSizesAllocateOnlyWhatTheRowsNeed) {
    std::string stream = Esc("E") + MonoConfigure() + Esc("*r2000000000S") + Esc("*r2000000000T") +
                         Esc("*r0A") + Esc("*b2m2W") + Bytes({0x81, 0xFF}) + Esc("*b2000000000Y") +
                         Esc("*b0W") + Esc("*rC");
    JobSummary summary = DecodeText(stream);
    ASSERT_TRUE(summary.Ok()) << ErrorText(summary);
    const PageSummary& page = summary.pages[0];
    EXPECT_EQ(Dots(page, "black"), 128u * 8u);
    EXPECT_EQ(page.skippedRows, 2000000000u);
    EXPECT_LE(page.preview->Width(), PagePreview::kMaxWidth);
    EXPECT_LE(page.preview->Height(), PagePreview::kMaxHeight);
    EXPECT_EQ(page.preview->Scale(), 256u); // 2e9 pixels in 4096, at most 256
}

} // namespace
} // namespace Tarvel::VirtualPrinter
