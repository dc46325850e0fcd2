#include "processors/ImageProcessor.h"

#include <memory>

namespace Tarvel {

ImageProcessor::ImageProcessor(SourceRowQueue* inIncomingSourceRows, ImageEngine* inImageEngine,
                               ImageRowQueue* inOutgoingRowQueue)
    : ProcessorPerformanceComponent(CFSTR("image.processor")),
      mIncomingSourceRows(inIncomingSourceRows), mImageEngine(inImageEngine),
      mOutgoingRowQueue(inOutgoingRowQueue) {}

void ImageProcessor::AbandonInput() {
    if (!mIncomingSourceRows->EndOfQueue())
        mIncomingSourceRows->FlushAndSetEndOfQueue();
}

int ImageProcessor::Run() {
    SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("ImageProcessor started"));
    try {
        while (!Killed() && !mOutgoingRowQueue->IsClosed() && !mIncomingSourceRows->EndOfQueue()) {
            std::unique_ptr<SourceRow> sourceRow(mIncomingSourceRows->Dequeue());
            if (sourceRow == nullptr)
                continue;
            ImageRow* imageRow = mImageEngine->CreateImageRow(sourceRow.get());
            if (imageRow != nullptr)
                IncrementPerformanceDetails(kStatusWorking, 1,
                                            static_cast<unsigned long>(imageRow->GetByteSize()));
            mOutgoingRowQueue->Enqueue(imageRow);
        }
    } catch (...) {
        ReportStageFailure("ImageProcessor", __FILE__, __LINE__);
    }
    AbandonInput();
    mOutgoingRowQueue->SetEndOfQueue();
    IncrementPerformanceDetails(kStatusIdle, 0, 0);
    SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("ImageProcessor ended"));
    return 0;
}

} // namespace Tarvel
