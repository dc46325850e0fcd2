#include "events/ErrorEvent.h"

namespace Tarvel {

ErrorEvent::ErrorEvent(CFStringRef inErrorMessage, unsigned long inErrorCode,
                       CFStringRef inFileName, unsigned long inLineNumber)
    : Event(kStopEventType, inFileName, inLineNumber), mErrorMessage(inErrorMessage),
      mErrorCode(static_cast<UInt32>(inErrorCode)) {
    if (mErrorMessage != nullptr)
        CFRetain(mErrorMessage);
}

ErrorEvent::~ErrorEvent() {
    if (mErrorMessage != nullptr)
        CFRelease(mErrorMessage);
}

void ErrorEvent::Process() {
    CFShow(mErrorMessage);
    CFShow(GetSourceFileName());
}

} // namespace Tarvel
