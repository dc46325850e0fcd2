#include "processors/DeliveryProcessor.h"

#include <memory>

namespace Tarvel {

DeliveryProcessor::DeliveryProcessor(TranslatedBlockQueue* inIncomingCompressedRowQueue,
                                     DeliveryEngine* inDeliveryEngine, EventQueue* inEventQueue)
    : ProcessorPerformanceComponent(CFSTR("delivery.processor")),
      mIncomingCompressedRowQueue(inIncomingCompressedRowQueue), mDeliveryEngine(inDeliveryEngine),
      mEventQueue(inEventQueue) {}

int DeliveryProcessor::Run() {
    SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("DeliveryProcessor started"));
    try {
        mDeliveryEngine->StartDelivery();
        while (!Killed() && !mIncomingCompressedRowQueue->EndOfQueue()) {
            std::unique_ptr<TranslatedBlock> block(mIncomingCompressedRowQueue->Dequeue());
            if (block == nullptr)
                continue;
            const unsigned long byteSize = block->GetByteSize();
            if (byteSize > 0) {
                mDeliveryEngine->Deliver(block.get());
                IncrementPerformanceDetails(kStatusWorking, 1, byteSize);
            }
        }
    } catch (...) {
        ReportStageFailure("DeliveryProcessor", __FILE__, __LINE__);
    }
    try {
        mDeliveryEngine->EndDelivery();
    } catch (...) {
        ReportStageFailure("DeliveryProcessor", __FILE__, __LINE__);
    }
    if (!mIncomingCompressedRowQueue->EndOfQueue())
        mIncomingCompressedRowQueue->FlushAndSetEndOfQueue();
    if (mEventQueue != nullptr)
        mEventQueue->SetEndOfQueue();
    IncrementPerformanceDetails(kStatusIdle, 0, 0);
    if (Killed())
        SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("DeliveryProcessor killed"));
    SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("DeliveryProcessor ended"));
    return 0;
}

} // namespace Tarvel
