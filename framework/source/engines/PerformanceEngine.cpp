#include "engines/PerformanceEngine.h"

namespace Tarvel {

PerformanceEngine::PerformanceEngine()
    : mAllComponentData(CFDictionaryCreateMutable(kCFAllocatorDefault, 0,
                                                  &kCFTypeDictionaryKeyCallBacks,
                                                  &kCFTypeDictionaryValueCallBacks)) {}

PerformanceEngine::~PerformanceEngine() {
    CFRelease(mAllComponentData);
}

unsigned long PerformanceEngine::MicrosecondSleepTime() const {
    return 500000;
}

void PerformanceEngine::RegisterComponent(PerformanceComponent* inComponent) {
    if (inComponent != nullptr)
        mPerformanceComponents.push_back(inComponent);
}

void PerformanceEngine::UnregisterComponent(PerformanceComponent* inComponent) {
    std::erase(mPerformanceComponents, inComponent);
}

void PerformanceEngine::Process() {
    for (PerformanceComponent* component : mPerformanceComponents) {
        component->UpdateComponentDetails();
        CFDictionaryRef snapshot = component->CopyComponentData();
        CFDictionarySetValue(mAllComponentData, component->GetUniqueComponentName(), snapshot);
        CFRelease(snapshot);
    }
    ProcessSelf(mAllComponentData);
    CFDictionaryRemoveAllValues(mAllComponentData);
}

} // namespace Tarvel
