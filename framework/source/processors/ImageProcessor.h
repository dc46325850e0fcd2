// The image stage: hands each source row to the image engine and queues the image rows.
#pragma once

#include "engines/ImageEngine.h"
#include "processors/ProcessorPerformanceComponent.h"
#include "queues/ImageRowQueue.h"
#include "queues/SourceRowQueue.h"

namespace Tarvel {

class ImageProcessor : public ProcessorPerformanceComponent {
public:
    ImageProcessor(SourceRowQueue* inIncomingSourceRows, ImageEngine* inImageEngine,
                   ImageRowQueue* inOutgoingRowQueue);

    // For each source row until the input ends: make its image row and queue it (a null
    // result too). Stops early when killed or when the output queue is closed, closing
    // the input in turn. Then ends the output queue.
    int Run() override;

protected:
    // Leaving before the input's end: nothing more will be taken from it.
    void AbandonInput();

    SourceRowQueue* mIncomingSourceRows;
    ImageEngine* mImageEngine;
    ImageRowQueue* mOutgoingRowQueue;
};

} // namespace Tarvel
