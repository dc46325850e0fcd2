// The queue of image rows, from the image stage to the compression stage, bounded by the bytes of
// the rows it holds.
#pragma once

#include "queues/TSafeQueue.h"
#include "rows-and-blocks/ImageRow.h"

namespace Tarvel {

class ImageRowQueue : public TSafeQueue<ImageRow*> {
public:
    explicit ImageRowQueue(unsigned long inMaximumQueueByteSize);

protected:
    unsigned long GetElementSize(ImageRow* inValue) const override;
};

} // namespace Tarvel
