#include "queues/ImageRowQueue.h"

namespace Tarvel {

ImageRowQueue::ImageRowQueue(unsigned long inMaximumQueueByteSize)
    : TSafeQueue<ImageRow*>(CFSTR("image.row.queue"), inMaximumQueueByteSize) {}

unsigned long ImageRowQueue::GetElementSize(ImageRow* inValue) const {
    if (inValue == nullptr)
        return 0;
    const auto size = inValue->GetByteSize();
    return size > 0 ? static_cast<unsigned long>(size) : 0;
}

} // namespace Tarvel
