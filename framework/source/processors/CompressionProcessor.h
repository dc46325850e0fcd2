// The compression stage: hands each image row to the compression engine and queues the
// compressed rows.
#pragma once

#include "engines/CompressionEngine.h"
#include "processors/ProcessorPerformanceComponent.h"
#include "queues/CompressedRowQueue.h"
#include "queues/ImageRowQueue.h"

namespace Tarvel {

class CompressionProcessor : public ProcessorPerformanceComponent {
public:
    CompressionProcessor(ImageRowQueue* inIncomingImageRowQueue,
                         CompressionEngine* inCompressionEngine,
                         CompressedRowQueue* inOutgoingCompressedRowQueue);

    // For each image row until the input ends: compress it and queue the result (a null
    // result too). Stops early when killed or when the output queue is closed, closing
    // the input in turn. Then ends the output queue.
    int Run() override;

private:
    ImageRowQueue* mIncomingImageRowQueue;
    CompressionEngine* mCompressionEngine;
    CompressedRowQueue* mOutgoingCompressedRowQueue;
};

} // namespace Tarvel
