#include "queues/SourceRowQueue.h"

namespace Tarvel {

SourceRowQueue::SourceRowQueue(unsigned long inMaximumQueueByteSize)
    : TSafeQueue<SourceRow*>(CFSTR("source.row.queue"), inMaximumQueueByteSize) {}

unsigned long SourceRowQueue::GetElementSize(SourceRow* inValue) const {
    if (inValue == nullptr)
        return 0;
    const auto size = inValue->GetByteSize();
    return size > 0 ? static_cast<unsigned long>(size) : 0;
}

} // namespace Tarvel
