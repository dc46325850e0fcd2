#include "processors/ProcessorPerformanceComponent.h"

#include "events/OrvoEventController.h"
#include "legacy/exception/TarvelException.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace Tarvel {

ProcessorPerformanceComponent::ProcessorPerformanceComponent(CFStringRef inComponentName)
    : PerformanceComponent(inComponentName), mStatus(kStatusIdle), mElementsProcessed(0),
      mBytesProcessed(0) {
    const int status = pthread_mutex_init(&mIOLock, nullptr);
    if (status != 0)
        throw static_cast<long>(status);
}

ProcessorPerformanceComponent::~ProcessorPerformanceComponent() {
    pthread_mutex_destroy(&mIOLock);
}

void ProcessorPerformanceComponent::IncrementPerformanceDetails(unsigned long inStatus,
                                                                unsigned long inElements,
                                                                unsigned long inBytes) {
    pthread_mutex_lock(&mIOLock);
    mStatus = static_cast<UInt32>(inStatus);
    // The totals wrap around past 32 bits, like the published figures.
    mElementsProcessed += static_cast<UInt32>(inElements);
    mBytesProcessed += static_cast<UInt32>(inBytes);
    pthread_mutex_unlock(&mIOLock);
}

void ProcessorPerformanceComponent::UpdateComponentDetails() {
    pthread_mutex_lock(&mIOLock);
    const UInt32 status = mStatus;
    const UInt32 elements = mElementsProcessed;
    const UInt32 bytes = mBytesProcessed;
    pthread_mutex_unlock(&mIOLock);
    SetPerformanceValue_SInt32(CFSTR("status"), static_cast<SInt32>(status));
    SetPerformanceValue_SInt32(CFSTR("elements.processed"), static_cast<SInt32>(elements));
    SetPerformanceValue_SInt32(CFSTR("bytes.processed"), static_cast<SInt32>(bytes));
}

void ProcessorPerformanceComponent::ReportStageFailure(const char* inStageName,
                                                       const char* inSourceFile,
                                                       unsigned long inLine) {
    long status = 0;
    std::string reason;
    try {
        throw;
    } catch (long thrown) {
        status = thrown;
        reason = "error " + std::to_string(thrown);
    } catch (const TarvelException& exception) {
        status = exception.GetErrorStatus();
        reason = "error " + std::to_string(status);
    } catch (const std::exception& exception) {
        reason = exception.what();
    } catch (...) {
        reason = "an unknown exception";
    }
    std::fprintf(stderr, "%s: the stage stopped on %s\n", inStageName, reason.c_str());

    const std::string message = std::string("PipelineError-") + inStageName;
    const char* slash = std::strrchr(inSourceFile, '/');
    const char* fileName = slash != nullptr ? slash + 1 : inSourceFile;
    CFStringRef messageString =
        CFStringCreateWithCString(kCFAllocatorDefault, message.c_str(), kCFStringEncodingUTF8);
    CFStringRef fileString =
        CFStringCreateWithCString(kCFAllocatorDefault, fileName, kCFStringEncodingUTF8);
    try {
        OrvoEventController::PostError(messageString, static_cast<unsigned long>(status),
                                       fileString, inLine);
    } catch (...) {
        std::fprintf(stderr, "%s: the failure could not be posted\n", inStageName);
    }
    if (fileString != nullptr)
        CFRelease(fileString);
    if (messageString != nullptr)
        CFRelease(messageString);
}

} // namespace Tarvel
