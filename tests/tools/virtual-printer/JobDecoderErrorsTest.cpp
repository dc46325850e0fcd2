#include "JobDecoder.h"

#include "StreamSupport.h"

#include <gtest/gtest.h>

namespace Tarvel::VirtualPrinter {
namespace {

using namespace Streams;

std::string MonoJob(const std::string& inRaster, int inWidth = 8) {
    return HpRtlJob("Test", inWidth, 1, MonoConfigure(), inRaster);
}

// Replaces the first occurrence of inWhat in ioText by inWith.
std::string Replace(std::string inText, const std::string& inWhat, const std::string& inWith) {
    std::size_t at = inText.find(inWhat);
    EXPECT_NE(at, std::string::npos) << inWhat;
    return inText.replace(at, inWhat.size(), inWith);
}

TEST(JobDecoderErrorsTest, ProtocolErrorsAreReportedAtTheirOffsets) {
    std::string good = MonoJob(Esc("*b2m2W") + Bytes({0x00, 0x80}));
    ASSERT_TRUE(DecodeText(good).Ok()) << ErrorText(DecodeText(good));
    std::string colour =
        HpRtlJob("C", 8, 1, ColourConfigure(), Esc("*b0m1V") + "x" + Esc("*b1W") + "y");
    std::string rtl = Esc("E") + MonoConfigure() + Esc("*r0A") + Esc("*b0W") + Esc("*rC");
    std::string pcl = Pcl3guiJob(
        5, 8, Esc("*b0V") + Esc("*b0V") + Esc("*b0V") + Esc("*b0V") + Esc("*b0V") + Esc("*b0W"));
    std::string raster = Esc("*r0A");
    std::size_t rasterAt = good.find(raster);
    struct Case {
        const char* name;
        std::string stream;
        std::size_t offset;
        std::string message;
    } cases[] = {
        {"unknown escape", Replace(good, raster, Esc("*z5Q") + raster), rasterAt,
         "unknown escape sequence ESC*z5Q"},
        {"unknown two-byte escape", Replace(good, raster, Esc("9") + raster), rasterAt,
         "unknown escape sequence ESC9"},
        {"malformed escape", Replace(good, raster, Esc("*b2#") + raster), rasterAt,
         "malformed escape sequence ESC*b2#"},
        {"data count past the end", good.substr(0, good.find(Esc("*b2m"))) + Esc("*b50W") + "abc",
         good.find(Esc("*b2m")), "data count 50 runs past the end of the stream (3 bytes left)"},
        {"PackBits past the count",
         Replace(good, Esc("*b2m2W") + Bytes({0x00, 0x80}), Esc("*b2m2W") + Bytes({0x05, 0x80})),
         good.find(Esc("*b2m2W")) + 7, "PackBits literal group of 6 bytes runs past"},
        {"planes against the configuration", colour, colour.find(Esc("*b1W")),
         "row 1 has 2 planes, the configuration announces 3"},
        {"data outside the raster", Replace(good, raster, Esc("*b0m1W") + "x" + raster), rasterAt,
         "raster data outside ESC*r#A ... ESC*rC"},
        {"unclosed PJL job", good.substr(0, good.find("@PJL EOJ")), good.find("@PJL JOB"),
         "PJL job started here is never ended"},
        {"unclosed raster", good.substr(0, good.find(Esc("*rC"))), rasterAt,
         "raster started here is never ended"},
        {"trailing garbage", rtl + "junk", rtl.size(), "unexpected byte j outside any command"},
        {"form feed inside a raster", Replace(pcl, Esc("*b2M"), Esc("*b2M") + "\x0c"),
         pcl.find(Esc("*b2M")) + 5, "form feed inside a raster"},
        {"unknown HP-GL/2 command", Replace(good, "QL100;", "QX100;"), good.find("QL100;"),
         "unknown HP-GL/2 command QX"},
        {"garbage after PJL", good + "junk", good.size(), "PJL line does not begin with @PJL"},
        {"unknown compression", Replace(good, Esc("*b2m"), Esc("*b7m")), good.find(Esc("*b2m")),
         "unsupported compression mode"},
        {"unterminated PJL line", Esc("%-12345X") + "@PJL JOB NAME=\"x\"", 9,
         "PJL line is not terminated"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        JobSummary summary = DecodeText(test.stream);
        ASSERT_FALSE(summary.Ok());
        bool found = false;
        for (const Diagnostic& error : summary.errors)
            found = found || (error.offset == test.offset &&
                              error.message.find(test.message) != std::string::npos);
        EXPECT_TRUE(found) << "expected at " << test.offset << ": " << test.message << "\ngot:\n"
                           << ErrorText(summary);
    }
}

TEST(JobDecoderErrorsTest, StrayBytesAreReportedOncePerRun) {
    JobSummary summary = DecodeText(std::string(10000, 'x'));
    ASSERT_EQ(summary.errors.size(), 1u);
    EXPECT_EQ(summary.errors[0].offset, 0u);
}

TEST(JobDecoderErrorsTest, AStreamCutInsideAJobIsMarkedAsEndedInsideIt) {
    std::string good = MonoJob(Esc("*b2m2W") + Bytes({0x00, 0x80}));
    EXPECT_FALSE(DecodeText(good).endedInsideJob);
    for (std::size_t cut : {good.size() / 3, good.find(Esc("*b2m")) + 4, good.size() - 5})
        EXPECT_TRUE(DecodeText(good.substr(0, cut)).endedInsideJob) << cut;
}

} // namespace
} // namespace Tarvel::VirtualPrinter
