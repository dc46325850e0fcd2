// Samples the registered performance components of a page and hands each sample, one
// dictionary of component name to component data, to ProcessSelf.
#pragma once

#include "engines/Engine.h"
#include "performance/PerformanceComponent.h"

#include <vector>

namespace Tarvel {

class PerformanceEngine : public Engine {
public:
    PerformanceEngine();
    ~PerformanceEngine() override;

    // Pause between two samples.
    virtual unsigned long MicrosecondSleepTime() const;
    virtual void ProcessSelf(CFDictionaryRef inAllComponentData) = 0;

    // Components are sampled in registration order; they are not owned and must outlive
    // the last sample.
    void RegisterComponent(PerformanceComponent* inComponent);
    // Forgets a component (every registration of it), for one that is about to go.
    void UnregisterComponent(PerformanceComponent* inComponent);
    // One sample: every component refreshes its figures and a snapshot of its data is
    // stored under its name; then ProcessSelf; then the sample is emptied.
    void Process();

private:
    std::vector<PerformanceComponent*> mPerformanceComponents;
    CFMutableDictionaryRef mAllComponentData;
};

} // namespace Tarvel
