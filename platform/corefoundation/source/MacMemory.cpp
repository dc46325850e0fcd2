// Pointer blocks on the C heap. Each block is preceded by a header holding its current
// size, the size it was allocated with (how far it may grow again) and a magic value. The
// addresses of live blocks are also kept in a registry, so that a pointer that is not a
// live block is recognised without reading memory that is not ours; the magic value then
// catches a header damaged by a write before the start of the block.
#include <CarbonCore/MacMemory.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <unordered_set>

namespace {

constexpr UInt64 kLiveBlockMagic = 0x4F72766F50747221ULL; // "OrvoPtr!"

// The magic value comes last, right before the block, where a write running off the start
// of the block lands first.
struct BlockHeader {
    Size size;
    Size capacity;
    UInt64 reserved;
    UInt64 magic;
};
static_assert(sizeof(BlockHeader) % alignof(std::max_align_t) == 0,
              "blocks must stay aligned for any type");

thread_local OSErr tMemError = noErr;
thread_local OrvoMemoryFault tFault = kOrvoMemoryFaultNone;

struct Registry {
    std::mutex mutex;
    std::unordered_set<const void*> live;
};

// Never destroyed: blocks may still be disposed of while static objects are torn down.
Registry& Blocks() {
    static Registry* registry = new Registry;
    return *registry;
}

BlockHeader* HeaderOf(Ptr p) {
    return reinterpret_cast<BlockHeader*>(p) - 1;
}

// The header of a live block, or null with the reason in tMemError. Called with the
// registry locked.
BlockHeader* LiveHeaderLocked(Registry& inRegistry, Ptr p) {
    if (p == nullptr) {
        tMemError = nilHandleErr;
        return nullptr;
    }
    if (inRegistry.live.count(p) == 0) {
        tMemError = memWZErr;
        return nullptr;
    }
    BlockHeader* header = HeaderOf(p);
    if (header->magic != kLiveBlockMagic) {
        tMemError = memWZErr;
        return nullptr;
    }
    return header;
}

Ptr Allocate(Size byteCount, bool inClear) {
    if (byteCount < 0) {
        tMemError = paramErr;
        return nullptr;
    }
    if (tFault == kOrvoMemoryFaultAllocationError) {
        tMemError = memFullErr;
        return nullptr;
    }
    if (tFault == kOrvoMemoryFaultAllocationNull) {
        tMemError = noErr;
        return nullptr;
    }
    if (static_cast<std::size_t>(byteCount) >
        std::numeric_limits<std::size_t>::max() / 2 - sizeof(BlockHeader)) {
        tMemError = memFullErr;
        return nullptr;
    }
    std::size_t total = sizeof(BlockHeader) + static_cast<std::size_t>(byteCount);
    void* memory = inClear ? std::calloc(1, total) : std::malloc(total);
    if (memory == nullptr) {
        tMemError = memFullErr;
        return nullptr;
    }
    BlockHeader* header = static_cast<BlockHeader*>(memory);
    header->size = byteCount;
    header->capacity = byteCount;
    header->reserved = 0;
    header->magic = kLiveBlockMagic;
    Ptr p = reinterpret_cast<Ptr>(header + 1);
    Registry& registry = Blocks();
    {
        std::lock_guard<std::mutex> lock(registry.mutex);
        registry.live.insert(p);
    }
    tMemError = noErr;
    return p;
}

} // namespace

Ptr NewPtr(Size byteCount) {
    return Allocate(byteCount, false);
}

Ptr NewPtrClear(Size byteCount) {
    return Allocate(byteCount, true);
}

void DisposePtr(Ptr p) {
    if (p == nullptr) {
        tMemError = noErr;
        return;
    }
    Registry& registry = Blocks();
    BlockHeader* header;
    {
        std::lock_guard<std::mutex> lock(registry.mutex);
        header = LiveHeaderLocked(registry, p);
        if (header == nullptr)
            return;
        registry.live.erase(p);
        header->magic = 0;
    }
    std::free(header);
    tMemError = noErr;
}

Size GetPtrSize(Ptr p) {
    Registry& registry = Blocks();
    std::lock_guard<std::mutex> lock(registry.mutex);
    BlockHeader* header = LiveHeaderLocked(registry, p);
    if (header == nullptr)
        return 0;
    tMemError = noErr;
    return header->size;
}

void SetPtrSize(Ptr p, Size newSize) {
    Registry& registry = Blocks();
    std::lock_guard<std::mutex> lock(registry.mutex);
    BlockHeader* header = LiveHeaderLocked(registry, p);
    if (header == nullptr)
        return;
    if (newSize < 0) {
        tMemError = paramErr;
        return;
    }
    if (tFault == kOrvoMemoryFaultResize || newSize > header->capacity) {
        tMemError = memFullErr;
        return;
    }
    header->size = newSize;
    tMemError = noErr;
}

OSErr MemError(void) {
    return tMemError;
}

void BlockMoveData(const void* srcPtr, void* destPtr, Size byteCount) {
    if (byteCount <= 0 || srcPtr == nullptr || destPtr == nullptr)
        return;
    std::memmove(destPtr, srcPtr, static_cast<std::size_t>(byteCount));
}

void BlockMove(const void* srcPtr, void* destPtr, Size byteCount) {
    BlockMoveData(srcPtr, destPtr, byteCount);
}

void OrvoMemorySetFaultForTesting(OrvoMemoryFault inFault) {
    tFault = inFault;
}
