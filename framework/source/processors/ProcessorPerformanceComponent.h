// A processor whose work can be observed: its status (2 working through its queue, 1 idle
// or finished) and the elements and bytes it has produced.
#pragma once

#include "performance/PerformanceComponent.h"
#include "processors/Processor.h"

#include <pthread.h>

namespace Tarvel {

class ProcessorPerformanceComponent : public Processor, public PerformanceComponent {
public:
    enum : unsigned long {
        kStatusIdle = 1,
        kStatusWorking = 2,
    };

    // Throws the error number (as a long) of a counter lock that cannot be made.
    explicit ProcessorPerformanceComponent(CFStringRef inComponentName);
    ~ProcessorPerformanceComponent() override;

    // Sets the status and adds to the running totals.
    void IncrementPerformanceDetails(unsigned long inStatus, unsigned long inElements,
                                     unsigned long inBytes);
    // Publishes "status", "elements.processed" and "bytes.processed".
    void UpdateComponentDetails() override;

protected:
    // Called from a catch handler of a stage's loop: writes the failure to the standard
    // error stream and posts it as an error ("PipelineError-" + inStageName) to the
    // current event controller.
    void ReportStageFailure(const char* inStageName, const char* inSourceFile,
                            unsigned long inLine);

private:
    pthread_mutex_t mIOLock;
    UInt32 mStatus;
    UInt32 mElementsProcessed;
    UInt32 mBytesProcessed;
};

} // namespace Tarvel
