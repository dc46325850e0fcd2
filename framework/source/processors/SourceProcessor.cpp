#include "processors/SourceProcessor.h"

namespace Tarvel {

SourceProcessor::SourceProcessor(ImageSource* inImageSource,
                                 SourceRowQueue* inOutgoingSourceRowQueue)
    : ProcessorPerformanceComponent(CFSTR("source.processor")), mImageSource(inImageSource),
      mOutgoingSourceRowQueue(inOutgoingSourceRowQueue) {}

int SourceProcessor::Run() {
    SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("SourceProcessor started"));
    try {
        // A closed queue means the rest of the pipeline has stopped: the remaining rows
        // of the page are not read.
        while (!Killed() && !mOutgoingSourceRowQueue->IsClosed() && !mImageSource->End()) {
            SourceRow* row = mImageSource->CopyNextSourceRow();
            if (row != nullptr) {
                IncrementPerformanceDetails(kStatusWorking, 1,
                                            static_cast<unsigned long>(row->GetByteSize()));
                mOutgoingSourceRowQueue->Enqueue(row);
            }
        }
    } catch (...) {
        ReportStageFailure("SourceProcessor", __FILE__, __LINE__);
    }
    mOutgoingSourceRowQueue->SetEndOfQueue();
    IncrementPerformanceDetails(kStatusIdle, 0, 0);
    SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("SourceProcessor ended"));
    return 0;
}

} // namespace Tarvel
