// Renders one page: builds the five-stage pipeline and its queues, starts the stage
// threads and the sampling thread, runs the page's event loop on the calling thread,
// waits for the threads and tears everything down.
#pragma once

#include "engines/CompressionEngine.h"
#include "engines/DeliveryEngine.h"
#include "engines/ImageEngine.h"
#include "engines/ImageSource.h"
#include "engines/PerformanceEngine.h"
#include "engines/TranslationEngine.h"
#include "events/Event.h"
#include "events/OrvoEventController.h"

namespace Tarvel {

class OrvoController {
public:
    // Physical memory assumed when the machine cannot tell (128 MiB).
    static constexpr unsigned long kDefaultPhysicalRAMSize = 134217728;
    // Run's result for a failure that carried no status of its own.
    static constexpr long kUnexpectedFailureStatus = -30870;

    // The event controller is not owned. No expansion; every row and block queue bounded
    // at a seventy-eighth of physical memory.
    explicit OrvoController(OrvoEventController* inEventController);
    OrvoController(const OrvoController&) = delete;
    OrvoController& operator=(const OrvoController&) = delete;
    virtual ~OrvoController();

    // Renders one page with engines that the caller owns; the performance engine may be
    // null. A cancel or a stop event ends the page early and is not a failure: the result
    // is 0 whenever the pipeline ran. When the pipeline could not run (a thread that
    // could not be started, a failure in the event loop) every thread is stopped and
    // waited for, the failure is written to the standard error stream and its status is
    // returned: a thrown long or TarvelException status, a thread-creation error number,
    // or kUnexpectedFailureStatus.
    virtual long Run(ImageSource* inSource, ImageEngine* inImageEngine,
                     CompressionEngine* inCompressionEngine, TranslationEngine* inTranslationEngine,
                     DeliveryEngine* inDeliveryEngine, PerformanceEngine* inPerformanceEngine);

    OrvoEventController* GetEventController() const { return mEventController; }
    void SetMaximumQueueSize(long inMaximumQueueSize) { mMaximumQueueSize = inMaximumQueueSize; }
    long GetMaximumQueueSize() const { return mMaximumQueueSize; }
    void UseImageRowExpansion(bool inExpand, unsigned char inHorizontalMultiplier,
                              unsigned char inVerticalMultiplier);
    // Physical memory in bytes, or kDefaultPhysicalRAMSize when it cannot be queried.
    unsigned long GetPhysicalRAMSize() const;
    // True for a stop event (a cancel or an error).
    bool IsCancelEvent(const Event* inEvent) const;

private:
    OrvoEventController* mEventController;
    long mMaximumQueueSize;
    bool mUseSourceRowExpansion;
    unsigned char mVerticalMultiplier;
    unsigned char mHorizontalMultiplier;
};

} // namespace Tarvel
