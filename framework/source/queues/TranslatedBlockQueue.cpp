#include "queues/TranslatedBlockQueue.h"

namespace Tarvel {

TranslatedBlockQueue::TranslatedBlockQueue(unsigned long inMaximumQueueByteSize)
    : TSafeQueue<TranslatedBlock*>(CFSTR("translated.block.queue"), inMaximumQueueByteSize) {}

unsigned long TranslatedBlockQueue::GetElementSize(TranslatedBlock* inValue) const {
    if (inValue == nullptr)
        return 0;
    const auto size = inValue->GetByteSize();
    return size > 0 ? static_cast<unsigned long>(size) : 0;
}

} // namespace Tarvel
