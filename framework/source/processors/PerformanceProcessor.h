// The sampling thread of a page: a performance sample, then a pause, until killed.
#pragma once

#include "engines/PerformanceEngine.h"
#include "processors/Processor.h"

namespace Tarvel {

class PerformanceProcessor : public Processor {
public:
    // The engine is not owned and may be null (then nothing is sampled).
    explicit PerformanceProcessor(PerformanceEngine* inPerformanceEngine);

    // Samples, then sleeps for the engine's pause, until killed; a kill cuts the pause
    // short. Returns at once without an engine.
    int Run() override;
    // One sample on the calling thread; nothing without an engine.
    void ThreadUnsafeProcess();

private:
    PerformanceEngine* mPerformanceEngine;
};

} // namespace Tarvel
