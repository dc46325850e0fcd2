#include "legacy/helpers/StPointerBlock.h"

#include "legacy/exception/TarvelException.h"

#include <CarbonCore/MacMemory.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Tarvel::StClearPointerBlock;
using Tarvel::StPointerBlock;
using Tarvel::TarvelException;

std::vector<unsigned char> Bytes(const StPointerBlock& inBlock) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(inBlock.Get());
    return std::vector<unsigned char>(p, p + inBlock.GetSize());
}

void Fill(StPointerBlock& ioBlock, const std::vector<unsigned char>& inBytes) {
    ioBlock.SetSize(static_cast<long>(inBytes.size()));
    if (!inBytes.empty())
        std::memcpy(ioBlock.Get(), inBytes.data(), inBytes.size());
}

// Whether p is still a live Memory Manager block (asking is safe for any pointer).
bool IsLive(char* p) {
    GetPtrSize(p);
    return MemError() == noErr;
}

// Runs inCall, expecting it to raise with exactly inMessage.
template <class Call>
void ExpectRaises(Call inCall, const char* inMessage) {
    testing::internal::CaptureStderr();
    try {
        inCall();
        ADD_FAILURE() << "nothing thrown";
    } catch (const TarvelException& e) {
        EXPECT_EQ(e.GetErrorStatus(), 128);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string("KELDOR:  ExCa-") + inMessage + "\n");
}

struct ScopedFault {
    explicit ScopedFault(OrvoMemoryFault inFault) { OrvoMemorySetFaultForTesting(inFault); }
    ~ScopedFault() { OrvoMemorySetFaultForTesting(kOrvoMemoryFaultNone); }
};

TEST(StPointerBlock, Construction) {
    StPointerBlock empty;
    EXPECT_EQ(empty.Get(), nullptr);
    EXPECT_EQ(empty.GetSize(), 0);

    StPointerBlock sized(100, false);
    ASSERT_NE(sized.Get(), nullptr);
    EXPECT_EQ(static_cast<char*>(sized), sized.Get());
    EXPECT_EQ(sized.GetSize(), 100);

    StPointerBlock zeroSized(0L, false);
    EXPECT_NE(zeroSized.Get(), nullptr);
    EXPECT_EQ(zeroSized.GetSize(), 0);

    StPointerBlock cleared(64, true);
    StClearPointerBlock clear(64);
    EXPECT_EQ(Bytes(cleared), std::vector<unsigned char>(64, 0));
    EXPECT_EQ(Bytes(clear), std::vector<unsigned char>(64, 0));
}

TEST(StPointerBlock, AllocationFailuresAreRaised) {
    ExpectRaises([] { StPointerBlock block(-1, false); }, "StPointerBlock allocation failed.");
    {
        ScopedFault fault(kOrvoMemoryFaultAllocationError);
        ExpectRaises([] { StClearPointerBlock block(16); }, "StPointerBlock allocation failed.");
        StPointerBlock block;
        ExpectRaises([&] { block.SetSize(16); }, "StPointerBlock allocation failed.");
        EXPECT_EQ(block.Get(), nullptr);
    }
    {
        ScopedFault fault(kOrvoMemoryFaultAllocationNull);
        ExpectRaises([] { StPointerBlock block(16, false); }, "Memory allocation failed.");
    }
}

TEST(StPointerBlock, TruncateTrailingBytes) {
    using V = std::vector<unsigned char>;
    struct Case {
        V before;
        unsigned char remove;
        V after;
    };
    const Case cases[] = {
        {{0x41, 0x00, 0x00}, 0x00, {0x41}}, {{0x00, 0x00}, 0x00, {}},
        {{0x00, 0x41}, 0x00, {0x00, 0x41}}, {{0x41, 0x00, 0x41, 0x00}, 0x00, {0x41, 0x00, 0x41}},
        {{0x00, 0xFF, 0xFF}, 0xFF, {0x00}}, {{}, 0x00, {}},
    };
    for (const Case& c : cases) {
        StPointerBlock block;
        Fill(block, c.before);
        char* before = block.Get();
        block.TruncateTrailingBytes(c.remove);
        EXPECT_EQ(Bytes(block), c.after);
        EXPECT_EQ(block.Get(), before); // shortened in place, never dropped
    }
    StPointerBlock empty;
    empty.TruncateTrailingBytes(0);
    EXPECT_EQ(empty.Get(), nullptr);
}

TEST(StPointerBlock, TruncateOnlyShrinks) {
    StPointerBlock block;
    Fill(block, {1, 2, 3, 4});
    block.Truncate(10);
    block.Truncate(4);
    EXPECT_EQ(Bytes(block), (std::vector<unsigned char>{1, 2, 3, 4}));
    block.Truncate(2);
    EXPECT_EQ(Bytes(block), (std::vector<unsigned char>{1, 2}));
    block.Truncate(4); // the allocation could grow back, but Truncate never grows
    EXPECT_EQ(block.GetSize(), 2);

    {
        ScopedFault fault(kOrvoMemoryFaultResize);
        ExpectRaises([&] { block.Truncate(1); }, "Ptr failed on truncation.");
    }
    EXPECT_EQ(block.GetSize(), 2);
    ExpectRaises([&] { block.Truncate(-1); }, "Ptr failed on truncation.");
    EXPECT_EQ(block.GetSize(), 2);
}

TEST(StPointerBlock, SetSize) {
    StPointerBlock block;
    Fill(block, {9, 8, 7});
    char* before = block.Get();
    block.SetSize(3); // same size: the very block, contents kept
    EXPECT_EQ(block.Get(), before);
    EXPECT_EQ(Bytes(block), (std::vector<unsigned char>{9, 8, 7}));
    block.SetSize(5);
    EXPECT_EQ(block.GetSize(), 5);

    StPointerBlock empty;
    empty.SetSize(0); // no pointer yet: gets a 0-byte block
    EXPECT_NE(empty.Get(), nullptr);
}

TEST(StPointerBlock, AdoptAndRelease) {
    char* owned = NewPtr(8);
    char* borrowed = NewPtr(8);
    {
        StPointerBlock block(owned, true);
        block.Adopt(owned, false); // the same pointer: ownership unchanged
        EXPECT_EQ(block.GetSize(), 8);
        block.Adopt(borrowed, false); // frees the owned block
        EXPECT_FALSE(IsLive(owned));
        EXPECT_EQ(block.Get(), borrowed);
        block.Release();
        EXPECT_EQ(block.Get(), nullptr);
    }
    EXPECT_TRUE(IsLive(borrowed));
    DisposePtr(borrowed);
}

TEST(StPointerBlock, DisposeFailureIsRaisedAndSwallowedByTheDestructor) {
    char notABlock[32] = {};
    {
        StPointerBlock block(notABlock + 16, true);
        ExpectRaises([&] { block.Release(); }, "DisposePtr failed with a memory error.");
        EXPECT_EQ(block.Get(), nullptr);
    }
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW({ StPointerBlock block(notABlock + 16, true); });
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "KELDOR:  ExCa-DisposePtr failed with a memory error.\n");
}

TEST(StPointerBlock, CopyMakesAnOwnedCopy) {
    StPointerBlock source;
    Fill(source, {1, 2, 3, 4, 5});
    char* borrowed = NewPtr(2);
    {
        StPointerBlock copy(borrowed, false);
        copy.Copy(source);
        EXPECT_NE(copy.Get(), source.Get());
        EXPECT_EQ(Bytes(copy), Bytes(source));
        copy.Copy(copy); // itself: nothing changes
        EXPECT_EQ(Bytes(copy), Bytes(source));
        char* copied = copy.Get();
        copy.Release();
        EXPECT_FALSE(IsLive(copied)); // the copy was owned
    }
    EXPECT_TRUE(IsLive(borrowed)); // the borrowed block was let go, not freed
    DisposePtr(borrowed);
}

TEST(StPointerBlock, TransferBlockTo) {
    StPointerBlock source;
    Fill(source, {7, 7});
    char* block = source.Get();
    StPointerBlock destination(16, false);
    char* old = destination.Get();

    source.TransferBlockTo(source); // itself: nothing changes
    EXPECT_EQ(source.Get(), block);

    source.TransferBlockTo(destination);
    EXPECT_EQ(source.Get(), nullptr);
    EXPECT_EQ(destination.Get(), block);
    EXPECT_FALSE(IsLive(old));
    destination.Release();
    EXPECT_FALSE(IsLive(block)); // the destination owns what it was handed
}

TEST(StPointerBlock, TransferOfABorrowedBlockDoesNotMakeItOwned) {
    char* borrowed = NewPtr(4);
    {
        StPointerBlock source(borrowed, false);
        StPointerBlock destination;
        source.TransferBlockTo(destination);
        EXPECT_EQ(destination.Get(), borrowed);
    }
    EXPECT_TRUE(IsLive(borrowed));
    DisposePtr(borrowed);
}

} // namespace
