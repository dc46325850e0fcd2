// The queue of compressed rows, from the compression stage to the translation stage, bounded by the
// bytes of the rows it holds.
#pragma once

#include "queues/TSafeQueue.h"
#include "rows-and-blocks/CompressedRow.h"

namespace Tarvel {

class CompressedRowQueue : public TSafeQueue<CompressedRow*> {
public:
    explicit CompressedRowQueue(unsigned long inMaximumQueueByteSize);

protected:
    unsigned long GetElementSize(CompressedRow* inValue) const override;
};

} // namespace Tarvel
