// A Memory Manager block with an ownership flag. The block's size is that of the
// allocation itself (GetPtrSize); no separate length is kept. Failures are raised with
// TarvelException::Raise.
#pragma once

namespace Tarvel {

class StPointerBlock {
public:
    // Empty: no pointer, not owner.
    StPointerBlock();
    // Owns a new block of inSize bytes, zero-filled when inClearBytes is true.
    StPointerBlock(long inSize, bool inClearBytes);
    // Holds inPtrToAdopt, freeing it at the end only when inOwnership is true.
    StPointerBlock(char* inPtrToAdopt, bool inOwnership);
    // Releases the block; an error in doing so is logged and swallowed.
    virtual ~StPointerBlock();
    StPointerBlock(const StPointerBlock&) = delete;
    StPointerBlock& operator=(const StPointerBlock&) = delete;

    char* Get() const { return mPointer; }
    operator char*() const { return mPointer; }
    // The allocation's size in bytes; 0 without a pointer.
    long GetSize() const;

    // Frees the block when owner; the pointer becomes null either way.
    void Release();
    // Releases the held block and holds inPointerBlock instead; adopting the pointer
    // already held changes nothing.
    void Adopt(char* inPointerBlock, bool inOwnership);
    // A block of inSize bytes; the old contents are kept only if the size is unchanged.
    void SetSize(long inSize);
    // Shortens the allocation in place to inNewSmallerSize; a size not smaller than the
    // current one changes nothing.
    void Truncate(long inNewSmallerSize);
    // Truncates away the run of inByteToRemove at the end of the block.
    void TruncateTrailingBytes(unsigned char inByteToRemove);
    // Becomes an owned copy of inSourceBlock's bytes.
    void Copy(const StPointerBlock& inSourceBlock);
    // Hands the block to inDestinationBlock (which releases its own); this block becomes
    // empty and not owner.
    void TransferBlockTo(StPointerBlock& inDestinationBlock);

protected:
    // Allocates without releasing a block already held; callers release first.
    void Allocate(long inSize, bool inClearBytes);

private:
    bool mOwner;
    char* mPointer;
};

// A block whose bytes start out as zero.
class StClearPointerBlock : public StPointerBlock {
public:
    explicit StClearPointerBlock(long inSize);
};

} // namespace Tarvel
