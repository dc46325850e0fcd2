#include "RasterDecompressor.h"

#include "StreamSupport.h"

#include <gtest/gtest.h>

namespace Tarvel::VirtualPrinter {
namespace {

using Streams::Bytes;

std::string Decode(int inMode, const std::string& inData, std::size_t inLimit,
                   RasterDecompressor::Result* outResult = nullptr) {
    std::vector<std::uint8_t> seed, row;
    RasterDecompressor::Result result =
        RasterDecompressor::Decode(inMode, reinterpret_cast<const std::uint8_t*>(inData.data()),
                                   inData.size(), inLimit, seed, row);
    if (outResult)
        *outResult = result;
    else
        EXPECT_TRUE(result.ok) << result.message;
    return std::string(row.begin(), row.end());
}

TEST(RasterDecompressorTest, PackBitsGroupsDecodeAsTiffDefinesThem) {
    struct Case {
        std::string encoded, decoded;
    } cases[] = {
        {Bytes({0xFE, 0x41, 0x00, 0x42}), "AAAB"},
        {Bytes({0x02, 0x41, 0x41, 0x41}), "AAA"},
        {Bytes({0x00, 0x41, 0xFD, 0x42, 0x00, 0x43}), "ABBBBC"},
        {Bytes({0x81, 0x41, 0x01, 0x41, 0x41}), std::string(130, 'A')},
        {Bytes({0x80, 0x00, 0x41}), "A"}, // -128 is a no-op
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Decode(2, c.encoded, 1000), c.decoded);
}

TEST(RasterDecompressorTest, OutputStopsAtTheRowLimit) {
    EXPECT_EQ(Decode(2, Bytes({0x81, 0x41}), 5), "AAAAA");
    EXPECT_EQ(Decode(0, "ABCDEFG", 3), "ABC");
    EXPECT_EQ(Decode(1, Bytes({200, 'x'}), 4), "xxxx");
}

TEST(RasterDecompressorTest, GroupsRunningPastTheDataAreErrorsAtTheirOffset) {
    struct Case {
        int mode;
        std::string data;
        std::size_t offset;
    } cases[] = {
        {2, Bytes({0x00, 0x41, 0x03, 0x41, 0x42}), 2}, // literal of 4 with 2 bytes left
        {2, Bytes({0x00, 0x41, 0xFE}), 2},             // repeat without its byte
        {1, Bytes({0x02, 0x41, 0x05}), 2},             // odd run-length count
        {3, Bytes({0x40, 0x41}), 0},                   // delta row replacement of 3 bytes
    };
    for (const Case& c : cases) {
        RasterDecompressor::Result result;
        Decode(c.mode, c.data, 100, &result);
        EXPECT_FALSE(result.ok) << "mode " << c.mode;
        EXPECT_EQ(result.errorOffset, c.offset) << result.message;
    }
}

TEST(RasterDecompressorTest, DeltaRowReplacesBytesOfTheSeedRow) {
    std::vector<std::uint8_t> seed = {1, 2, 3, 4, 5}, row;
    // Command 0x22: replace 2 bytes at offset 2; then 0x01: one byte one further on.
    std::string data = Bytes({0x22, 9, 8, 0x01, 7});
    auto result = RasterDecompressor::Decode(3, reinterpret_cast<const std::uint8_t*>(data.data()),
                                             data.size(), 10, seed, row);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(row, (std::vector<std::uint8_t>{1, 2, 9, 8, 5, 7}));
    EXPECT_EQ(seed, row);
}

} // namespace
} // namespace Tarvel::VirtualPrinter
