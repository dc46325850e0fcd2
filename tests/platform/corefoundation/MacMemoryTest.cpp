#include <CarbonCore/MacMemory.h>

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

// Sets a fault for the calling thread for the length of a scope.
struct ScopedFault {
    explicit ScopedFault(OrvoMemoryFault inFault) { OrvoMemorySetFaultForTesting(inFault); }
    ~ScopedFault() { OrvoMemorySetFaultForTesting(kOrvoMemoryFaultNone); }
};

TEST(MacMemory, NewPtrGivesBlocksOfTheAskedSize) {
    for (Size size : {0L, 1L, 37L, 4096L}) {
        SCOPED_TRACE(size);
        Ptr p = NewPtr(size);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(MemError(), noErr);
        EXPECT_EQ(GetPtrSize(p), size);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(std::max_align_t), 0u);
        std::memset(p, 0xAB, static_cast<size_t>(size));
        DisposePtr(p);
        EXPECT_EQ(MemError(), noErr);
    }
}

TEST(MacMemory, NewPtrClearZeroFills) {
    // Dirty the heap first so that zeroes cannot come from fresh pages by luck.
    Ptr dirty = NewPtr(256);
    std::memset(dirty, 0xFF, 256);
    DisposePtr(dirty);
    Ptr p = NewPtrClear(256);
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(p[i], 0) << i;
    DisposePtr(p);
}

TEST(MacMemory, NegativeSizesAreRefused) {
    EXPECT_EQ(NewPtr(-1), nullptr);
    EXPECT_EQ(MemError(), paramErr);
    EXPECT_EQ(NewPtrClear(-100), nullptr);
    EXPECT_EQ(MemError(), paramErr);
}

TEST(MacMemory, SetPtrSizeShrinksInPlaceAndGrowsOnlyBackToTheAllocation) {
    Ptr p = NewPtr(8);
    std::memcpy(p, "abcdefgh", 8);

    SetPtrSize(p, 3);
    EXPECT_EQ(MemError(), noErr);
    EXPECT_EQ(GetPtrSize(p), 3);
    EXPECT_EQ(std::memcmp(p, "abc", 3), 0);

    SetPtrSize(p, 8); // back up to the allocated size
    EXPECT_EQ(MemError(), noErr);
    EXPECT_EQ(GetPtrSize(p), 8);

    SetPtrSize(p, 9); // beyond it: refused, the block unchanged
    EXPECT_EQ(MemError(), memFullErr);
    EXPECT_EQ(GetPtrSize(p), 8);

    SetPtrSize(p, -1);
    EXPECT_EQ(MemError(), paramErr);
    EXPECT_EQ(GetPtrSize(p), 8);

    SetPtrSize(p, 0);
    EXPECT_EQ(MemError(), noErr);
    EXPECT_EQ(GetPtrSize(p), 0);
    DisposePtr(p);
    EXPECT_EQ(MemError(), noErr);
}

TEST(MacMemory, PointersThatAreNotLiveBlocksAreRefused) {
    char notABlock[64] = {};
    Ptr p = NewPtr(16);

    struct Case {
        const char* name;
        Ptr pointer;
        OSErr expected;
    };
    const Case cases[] = {
        {"null", nullptr, nilHandleErr},
        {"stack buffer", notABlock + 32, memWZErr},
        {"inside a block", p + 4, memWZErr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GetPtrSize(c.pointer), 0);
        EXPECT_EQ(MemError(), c.expected);
        SetPtrSize(c.pointer, 0);
        EXPECT_EQ(MemError(), c.expected);
    }
    DisposePtr(notABlock + 32);
    EXPECT_EQ(MemError(), memWZErr);
    DisposePtr(p + 4);
    EXPECT_EQ(MemError(), memWZErr);
    EXPECT_EQ(GetPtrSize(p), 16); // untouched by the refused calls

    DisposePtr(nullptr);
    EXPECT_EQ(MemError(), noErr);

    DisposePtr(p);
    EXPECT_EQ(MemError(), noErr);
    DisposePtr(p); // a second time: no longer live
    EXPECT_EQ(MemError(), memWZErr);
    EXPECT_EQ(GetPtrSize(p), 0);
    EXPECT_EQ(MemError(), memWZErr);
}

TEST(MacMemory, DamagedHeaderIsRefused) {
    Ptr p = NewPtr(4);
    char saved = p[-1];
    p[-1] = static_cast<char>(saved ^ 0x5A); // a write running off the start of the block
    DisposePtr(p);
    EXPECT_EQ(MemError(), memWZErr);
    EXPECT_EQ(GetPtrSize(p), 0);
    EXPECT_EQ(MemError(), memWZErr);
    p[-1] = saved;
    EXPECT_EQ(GetPtrSize(p), 4);
    DisposePtr(p);
    EXPECT_EQ(MemError(), noErr);
}

TEST(MacMemory, MemErrorIsPerThread) {
    NewPtr(-1);
    ASSERT_EQ(MemError(), paramErr);
    OSErr other = paramErr;
    std::thread([&] { other = MemError(); }).join();
    EXPECT_EQ(other, noErr);
    EXPECT_EQ(MemError(), paramErr);
}

TEST(MacMemory, TestHookMakesCallsFail) {
    {
        ScopedFault fault(kOrvoMemoryFaultAllocationError);
        EXPECT_EQ(NewPtr(8), nullptr);
        EXPECT_EQ(MemError(), memFullErr);
        EXPECT_EQ(NewPtrClear(8), nullptr);
        EXPECT_EQ(MemError(), memFullErr);
    }
    {
        ScopedFault fault(kOrvoMemoryFaultAllocationNull);
        EXPECT_EQ(NewPtr(8), nullptr);
        EXPECT_EQ(MemError(), noErr);
    }
    Ptr p = NewPtr(8);
    {
        ScopedFault fault(kOrvoMemoryFaultResize);
        SetPtrSize(p, 2);
        EXPECT_EQ(MemError(), memFullErr);
        EXPECT_EQ(GetPtrSize(p), 8);
    }
    // Only the faulting thread is affected.
    {
        ScopedFault fault(kOrvoMemoryFaultAllocationError);
        Ptr fromOther = nullptr;
        std::thread([&] { fromOther = NewPtr(8); }).join();
        EXPECT_NE(fromOther, nullptr);
        DisposePtr(fromOther);
    }
    SetPtrSize(p, 2);
    EXPECT_EQ(MemError(), noErr);
    DisposePtr(p);
}

TEST(MacMemory, BlockMoveHandlesOverlap) {
    char bytes[] = "0123456789";
    BlockMoveData(bytes, bytes + 2, 5);
    EXPECT_STREQ(bytes, "0101234789");
    BlockMove(bytes + 2, bytes, 5);
    EXPECT_STREQ(bytes, "0123434789");
    BlockMoveData(bytes, bytes + 1, 0);
    BlockMoveData(bytes, bytes + 1, -3);
    EXPECT_STREQ(bytes, "0123434789");
}

} // namespace
