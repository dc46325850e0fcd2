// The source stage: copies the page's rows out of the image source into the source-row
// queue.
#pragma once

#include "engines/ImageSource.h"
#include "processors/ProcessorPerformanceComponent.h"
#include "queues/SourceRowQueue.h"

namespace Tarvel {

class SourceProcessor : public ProcessorPerformanceComponent {
public:
    SourceProcessor(ImageSource* inImageSource, SourceRowQueue* inOutgoingSourceRowQueue);

    // Until killed, the source ends or the queue is closed by its consumer: queue every
    // row produced. Then end the queue.
    int Run() override;

private:
    ImageSource* mImageSource;
    SourceRowQueue* mOutgoingSourceRowQueue;
};

} // namespace Tarvel
