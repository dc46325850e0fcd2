#include <CarbonCore/Gestalt.h>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(Gestalt, PhysicalMemoryComesFromTheSystem) {
    EXPECT_EQ(gestaltPhysicalRAMSize, static_cast<OSType>('r') << 24 |
                                          static_cast<OSType>('a') << 16 |
                                          static_cast<OSType>('m') << 8 | static_cast<OSType>(' '));
    long response = 0;
    ASSERT_EQ(Gestalt(gestaltPhysicalRAMSize, &response), noErr);
    EXPECT_EQ(response, sysconf(_SC_PHYS_PAGES) * sysconf(_SC_PAGESIZE));
    EXPECT_GT(response, 0);
}

TEST(Gestalt, UnknownSelectorAndNullResponse) {
    long response = 12345;
    EXPECT_EQ(Gestalt(0x73797376 /* 'sysv' */, &response), gestaltUndefSelectorErr);
    EXPECT_EQ(response, 12345);
    EXPECT_EQ(Gestalt(gestaltPhysicalRAMSize, nullptr), paramErr);
}

} // namespace
