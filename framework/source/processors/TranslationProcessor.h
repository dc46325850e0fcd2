// The translation stage: the page's start block, one block per compressed row and the
// end block, in the printer's command language.
#pragma once

#include "engines/TranslationEngine.h"
#include "processors/ProcessorPerformanceComponent.h"
#include "queues/CompressedRowQueue.h"
#include "queues/TranslatedBlockQueue.h"

namespace Tarvel {

class TranslationProcessor : public ProcessorPerformanceComponent {
public:
    TranslationProcessor(CompressedRowQueue* inIncomingCompressedRowQueue,
                         TranslationEngine* inTranslationEngine,
                         TranslatedBlockQueue* inOutgoingTranslatedBlockQueue);

    // Queues the start block, a block per compressed row until the input ends, and the
    // end block (also after an early stop), null blocks included. Stops early when killed
    // or when the output queue is closed, closing the input in turn. Then ends the
    // output queue.
    int Run() override;

private:
    void Queue(TranslatedBlock* inBlock);

    CompressedRowQueue* mIncomingCompressedRowQueue;
    TranslationEngine* mTranslationEngine;
    TranslatedBlockQueue* mOutgoingTranslatedBlockQueue;
};

} // namespace Tarvel
