// The Memory Manager's pointer blocks: non-relocatable blocks that know their own size.
//
// Every call records its result for the calling thread, read back with MemError(). A
// block's size can shrink in place at any time and grow again up to the size it was
// allocated with; it never moves. Disposing of or querying a pointer that is not a live
// block (never allocated here, already disposed of, or with a damaged header) is
// reported as memWZErr and leaves memory untouched.
#pragma once

#include <CarbonCore/MacTypes.h>

// A new block of byteCount bytes with unspecified contents; null on failure (paramErr for
// a negative size, memFullErr when memory is exhausted). A size of 0 gives a valid block.
Ptr NewPtr(Size byteCount);
// As NewPtr, the bytes set to zero.
Ptr NewPtrClear(Size byteCount);
// Frees a block. Null is accepted (noErr); a pointer that is not a live block is refused
// with memWZErr.
void DisposePtr(Ptr p);
// The block's current size in bytes; 0 with nilHandleErr for null, 0 with memWZErr for a
// pointer that is not a live block.
Size GetPtrSize(Ptr p);
// Changes the block's size in place. Shrinking always succeeds; growing beyond the size
// the block was allocated with fails with memFullErr and leaves the block unchanged; a
// negative size fails with paramErr. The contents up to the smaller size are kept.
void SetPtrSize(Ptr p, Size newSize);
// The result of the calling thread's last Memory Manager call.
OSErr MemError(void);

// Copy byteCount bytes; the ranges may overlap. Nothing happens for a count of 0 or less.
// Neither call changes MemError().
void BlockMoveData(const void* srcPtr, void* destPtr, Size byteCount);
void BlockMove(const void* srcPtr, void* destPtr, Size byteCount);

// ---------------------------------------------------------------------------------------
// TEST HOOK - for unit tests only; production code never calls it.
// Makes the Memory Manager calls of the calling thread fail on purpose, so that callers'
// error paths can be exercised. The fault stays in effect until it is set back to
// kOrvoMemoryFaultNone. Other threads are not affected.
enum OrvoMemoryFault {
    kOrvoMemoryFaultNone = 0,
    // NewPtr/NewPtrClear return null and MemError() reports memFullErr.
    kOrvoMemoryFaultAllocationError,
    // NewPtr/NewPtrClear return null while MemError() reports noErr (a broken allocator).
    kOrvoMemoryFaultAllocationNull,
    // SetPtrSize fails with memFullErr and changes nothing, even when shrinking.
    kOrvoMemoryFaultResize,
};
void OrvoMemorySetFaultForTesting(OrvoMemoryFault inFault);
