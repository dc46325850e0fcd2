#include "queues/CompressedRowQueue.h"

namespace Tarvel {

CompressedRowQueue::CompressedRowQueue(unsigned long inMaximumQueueByteSize)
    : TSafeQueue<CompressedRow*>(CFSTR("compressed.row.queue"), inMaximumQueueByteSize) {}

unsigned long CompressedRowQueue::GetElementSize(CompressedRow* inValue) const {
    if (inValue == nullptr)
        return 0;
    const auto size = inValue->GetByteSize();
    return size > 0 ? static_cast<unsigned long>(size) : 0;
}

} // namespace Tarvel
