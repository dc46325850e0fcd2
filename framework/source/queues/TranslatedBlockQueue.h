// The queue of translated blocks, from the translation stage to the delivery stage, bounded by the
// bytes of the blocks it holds.
#pragma once

#include "queues/TSafeQueue.h"
#include "rows-and-blocks/translatedblocks/TranslatedBlock.h"

namespace Tarvel {

class TranslatedBlockQueue : public TSafeQueue<TranslatedBlock*> {
public:
    explicit TranslatedBlockQueue(unsigned long inMaximumQueueByteSize);

protected:
    unsigned long GetElementSize(TranslatedBlock* inValue) const override;
};

} // namespace Tarvel
