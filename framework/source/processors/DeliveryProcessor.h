// The delivery stage: writes every non-empty translated block through the delivery engine
// and, when the blocks end, ends the page's event queue.
#pragma once

#include "engines/DeliveryEngine.h"
#include "processors/ProcessorPerformanceComponent.h"
#include "queues/EventQueue.h"
#include "queues/TranslatedBlockQueue.h"

namespace Tarvel {

class DeliveryProcessor : public ProcessorPerformanceComponent {
public:
    DeliveryProcessor(TranslatedBlockQueue* inIncomingCompressedRowQueue,
                      DeliveryEngine* inDeliveryEngine, EventQueue* inEventQueue);

    // StartDelivery; every non-empty block until the input ends (or the stage is
    // killed); EndDelivery, once, however the loop ended; then the event queue is ended.
    int Run() override;

private:
    TranslatedBlockQueue* mIncomingCompressedRowQueue;
    DeliveryEngine* mDeliveryEngine;
    EventQueue* mEventQueue;
};

} // namespace Tarvel
