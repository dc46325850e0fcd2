#include "processors/CompressionProcessor.h"

#include <memory>

namespace Tarvel {

CompressionProcessor::CompressionProcessor(ImageRowQueue* inIncomingImageRowQueue,
                                           CompressionEngine* inCompressionEngine,
                                           CompressedRowQueue* inOutgoingCompressedRowQueue)
    : ProcessorPerformanceComponent(CFSTR("compression.processor")),
      mIncomingImageRowQueue(inIncomingImageRowQueue), mCompressionEngine(inCompressionEngine),
      mOutgoingCompressedRowQueue(inOutgoingCompressedRowQueue) {}

int CompressionProcessor::Run() {
    SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("CompressionProcessor started"));
    try {
        while (!Killed() && !mOutgoingCompressedRowQueue->IsClosed() &&
               !mIncomingImageRowQueue->EndOfQueue()) {
            std::unique_ptr<ImageRow> imageRow(mIncomingImageRowQueue->Dequeue());
            if (imageRow == nullptr)
                continue;
            CompressedRow* compressedRow = mCompressionEngine->CreateCompressedRow(imageRow.get());
            if (compressedRow != nullptr)
                IncrementPerformanceDetails(
                    kStatusWorking, 1, static_cast<unsigned long>(compressedRow->GetByteSize()));
            mOutgoingCompressedRowQueue->Enqueue(compressedRow);
        }
    } catch (...) {
        ReportStageFailure("CompressionProcessor", __FILE__, __LINE__);
    }
    if (!mIncomingImageRowQueue->EndOfQueue())
        mIncomingImageRowQueue->FlushAndSetEndOfQueue();
    mOutgoingCompressedRowQueue->SetEndOfQueue();
    IncrementPerformanceDetails(kStatusIdle, 0, 0);
    SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("CompressionProcessor ended"));
    return 0;
}

} // namespace Tarvel
