#include "rows-and-blocks/translatedblocks/StreamTranslatedBlock.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <string>
#include <vector>

using namespace Tarvel;

namespace {
std::string Bytes(const TranslatedBlock& inBlock) {
    return std::string(inBlock.Get() != nullptr ? inBlock.Get() : "", inBlock.GetByteSize());
}
} // namespace

TEST(StreamTranslatedBlockTest, NewBlockHasNoBuffer) {
    StreamTranslatedBlock block;
    EXPECT_EQ(block.Get(), nullptr);
    EXPECT_EQ(block.GetByteSize(), 0u);
    EXPECT_EQ(block.GetBufferSize(), 0u);
    EXPECT_EQ(block.GetUnitSize(), 1024u);
    block.PutBytes(nullptr, 5);
    block.PutBytes("x", 0);
    block.PutBytes("x", -1);
    EXPECT_EQ(block.GetBufferSize(), 0u);
}

TEST(StreamTranslatedBlockTest, GrowsByAUnitWhenAWriteWouldLeaveNoSpareByte) {
    StreamTranslatedBlock block;
    for (int i = 0; i < 1023; ++i)
        block << static_cast<char>(i);
    EXPECT_EQ(block.GetBufferSize(), 1024u);
    block << 'z'; // the 1024th byte would fill the buffer
    EXPECT_EQ(block.GetBufferSize(), 2048u);
    EXPECT_EQ(block.GetByteSize(), 1024u);
    EXPECT_EQ(block.Get()[1023], 'z');
    EXPECT_EQ(block.Get()[1000], static_cast<char>(1000));
}

TEST(StreamTranslatedBlockTest, WriteLongerThanAUnitGrowsByUnitPlusWrite) {
    const std::vector<char> big(3000, 'a');
    StreamTranslatedBlock block;
    block.PutBytes(big.data(), 3000);
    EXPECT_EQ(block.GetBufferSize(), 1024u + 3000u);

    StreamTranslatedBlock small(16);
    small << "0123456789";
    small.PutBytes(big.data(), 20); // 6 spare bytes: grow by 16 + 20
    EXPECT_EQ(small.GetBufferSize(), 16u + 36u);
    EXPECT_EQ(Bytes(small), "0123456789" + std::string(20, 'a'));
}

TEST(StreamTranslatedBlockTest, BinaryAndTextOperators) {
    StreamTranslatedBlock other;
    other << "PJL";
    StreamTranslatedBlock block;
    block << static_cast<unsigned short>(0x1B2A) << static_cast<unsigned long>(1)
          << static_cast<unsigned char>(0xFF) << '\0' << static_cast<const char*>(nullptr) << "ab"
          << other << static_cast<CFStringRef>(nullptr) << CFSTR("") << CFSTR("E%");
    EXPECT_EQ(Bytes(block), std::string("\x1B\x2A\x00\x00\x00\x01\xFF\x00"
                                        "abPJLE%",
                                        15));
}

TEST(StreamTranslatedBlockTest, ASCIINumbers) {
    StreamTranslatedBlock block;
    block.ASCIIInteger(-5).ASCIIFloat(2.5f);
    EXPECT_EQ(Bytes(block), "-52.50");

    StreamTranslatedBlock extremes;
    extremes.ASCIIInteger(LONG_MIN);
    EXPECT_EQ(Bytes(extremes), std::to_string(LONG_MIN));
    StreamTranslatedBlock huge;
    huge.ASCIIFloat(FLT_MAX); // 39 digits before the point: longer than the usual buffer
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.2f", static_cast<double>(FLT_MAX));
    EXPECT_EQ(Bytes(huge), expected);
}
