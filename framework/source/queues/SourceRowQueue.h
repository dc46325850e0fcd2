// The queue of source rows, from the source stage to the image stage, bounded by the bytes of the
// rows it holds.
#pragma once

#include "queues/TSafeQueue.h"
#include "rows-and-blocks/sourcerows/SourceRow.h"

namespace Tarvel {

class SourceRowQueue : public TSafeQueue<SourceRow*> {
public:
    explicit SourceRowQueue(unsigned long inMaximumQueueByteSize);

protected:
    unsigned long GetElementSize(SourceRow* inValue) const override;
};

} // namespace Tarvel
