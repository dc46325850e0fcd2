#include "processors/PerformanceProcessor.h"

#include <unistd.h>

namespace Tarvel {

namespace {
// The pause is slept in slices so that a kill ends it promptly.
constexpr unsigned long kSleepSliceMicroseconds = 10000;
} // namespace

PerformanceProcessor::PerformanceProcessor(PerformanceEngine* inPerformanceEngine)
    : mPerformanceEngine(inPerformanceEngine) {}

int PerformanceProcessor::Run() {
    if (mPerformanceEngine == nullptr)
        return 0;
    while (!Killed()) {
        mPerformanceEngine->Process();
        unsigned long remaining = mPerformanceEngine->MicrosecondSleepTime();
        while (remaining > 0 && !Killed()) {
            const unsigned long slice =
                remaining < kSleepSliceMicroseconds ? remaining : kSleepSliceMicroseconds;
            usleep(static_cast<useconds_t>(slice));
            remaining -= slice;
        }
    }
    return 0;
}

void PerformanceProcessor::ThreadUnsafeProcess() {
    if (mPerformanceEngine != nullptr)
        mPerformanceEngine->Process();
}

} // namespace Tarvel
