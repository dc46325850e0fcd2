#include "processors/TranslationProcessor.h"

#include <memory>

namespace Tarvel {

TranslationProcessor::TranslationProcessor(CompressedRowQueue* inIncomingCompressedRowQueue,
                                           TranslationEngine* inTranslationEngine,
                                           TranslatedBlockQueue* inOutgoingTranslatedBlockQueue)
    : ProcessorPerformanceComponent(CFSTR("translation.processor")),
      mIncomingCompressedRowQueue(inIncomingCompressedRowQueue),
      mTranslationEngine(inTranslationEngine),
      mOutgoingTranslatedBlockQueue(inOutgoingTranslatedBlockQueue) {}

void TranslationProcessor::Queue(TranslatedBlock* inBlock) {
    if (inBlock != nullptr)
        IncrementPerformanceDetails(kStatusWorking, 1, inBlock->GetByteSize());
    mOutgoingTranslatedBlockQueue->Enqueue(inBlock);
}

int TranslationProcessor::Run() {
    SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("TranslationProcessor started"));
    try {
        Queue(mTranslationEngine->CreateStartBlock());
        while (!Killed() && !mOutgoingTranslatedBlockQueue->IsClosed() &&
               !mIncomingCompressedRowQueue->EndOfQueue()) {
            std::unique_ptr<CompressedRow> compressedRow(mIncomingCompressedRowQueue->Dequeue());
            if (compressedRow == nullptr)
                continue;
            Queue(mTranslationEngine->CreateTranslatedBlock(compressedRow.get()));
        }
    } catch (...) {
        ReportStageFailure("TranslationProcessor", __FILE__, __LINE__);
    }
    // The end block leaves the printer in a known state, so it is made however the loop
    // ended.
    try {
        Queue(mTranslationEngine->CreateEndBlock());
    } catch (...) {
        ReportStageFailure("TranslationProcessor", __FILE__, __LINE__);
    }
    if (!mIncomingCompressedRowQueue->EndOfQueue())
        mIncomingCompressedRowQueue->FlushAndSetEndOfQueue();
    mOutgoingTranslatedBlockQueue->SetEndOfQueue();
    IncrementPerformanceDetails(kStatusIdle, 0, 0);
    SetPerformanceAttribute_CFAbsoluteTimeCurrent(CFSTR("TranslationProcessor ended"));
    return 0;
}

} // namespace Tarvel
