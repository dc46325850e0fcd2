#include "legacy/helpers/StPointerBlock.h"

#include "legacy/exception/TarvelException.h"

#include <CarbonCore/MacMemory.h>

namespace Tarvel {

StPointerBlock::StPointerBlock() : mOwner(false), mPointer(nullptr) {}

StPointerBlock::StPointerBlock(long inSize, bool inClearBytes) : mOwner(false), mPointer(nullptr) {
    Allocate(inSize, inClearBytes);
}

StPointerBlock::StPointerBlock(char* inPtrToAdopt, bool inOwnership)
    : mOwner(false), mPointer(nullptr) {
    Adopt(inPtrToAdopt, inOwnership);
}

StPointerBlock::~StPointerBlock() {
    try {
        Release();
    } catch (...) {
        // Already logged; a destructor must not throw.
    }
}

long StPointerBlock::GetSize() const {
    return mPointer == nullptr ? 0 : GetPtrSize(mPointer);
}

void StPointerBlock::Allocate(long inSize, bool inClearBytes) {
    Ptr pointer = inClearBytes ? NewPtrClear(inSize) : NewPtr(inSize);
    if (MemError() != noErr)
        TarvelException::Raise("StPointerBlock allocation failed.");
    if (pointer == nullptr)
        TarvelException::Raise("Memory allocation failed.");
    mPointer = pointer;
    mOwner = true;
}

void StPointerBlock::Release() {
    if (mPointer == nullptr)
        return;
    char* pointer = mPointer;
    // Forgotten before freeing: a block that cannot be freed is not tried again.
    mPointer = nullptr;
    if (mOwner) {
        DisposePtr(pointer);
        if (MemError() != noErr)
            TarvelException::Raise("DisposePtr failed with a memory error.");
    }
}

void StPointerBlock::Adopt(char* inPointerBlock, bool inOwnership) {
    if (inPointerBlock == mPointer)
        return;
    Release();
    mPointer = inPointerBlock;
    mOwner = inOwnership;
}

void StPointerBlock::SetSize(long inSize) {
    if (mPointer != nullptr && GetSize() == inSize)
        return;
    Release();
    Allocate(inSize, false);
}

void StPointerBlock::Truncate(long inNewSmallerSize) {
    if (mPointer == nullptr || inNewSmallerSize >= GetSize())
        return;
    SetPtrSize(mPointer, inNewSmallerSize);
    if (MemError() != noErr)
        TarvelException::Raise("Ptr failed on truncation.");
}

void StPointerBlock::TruncateTrailingBytes(unsigned char inByteToRemove) {
    long size = GetSize();
    long keep = size;
    while (keep > 0 && static_cast<unsigned char>(mPointer[keep - 1]) == inByteToRemove)
        --keep;
    if (keep < size)
        Truncate(keep);
}

void StPointerBlock::Copy(const StPointerBlock& inSourceBlock) {
    if (&inSourceBlock == this)
        return;
    Release();
    SetSize(inSourceBlock.GetSize());
    BlockMoveData(inSourceBlock.Get(), mPointer, GetSize());
    mOwner = true;
}

void StPointerBlock::TransferBlockTo(StPointerBlock& inDestinationBlock) {
    if (&inDestinationBlock == this)
        return;
    // The destination frees the block only if this one would have: handing on a block
    // that this one merely borrows must not make it freeable.
    inDestinationBlock.Adopt(mPointer, mOwner);
    mPointer = nullptr;
    mOwner = false;
}

StClearPointerBlock::StClearPointerBlock(long inSize) : StPointerBlock(inSize, true) {}

} // namespace Tarvel
