// An error that stops the page, with its message, status code and the source position
// that raised it.
#pragma once

#include "events/Event.h"

namespace Tarvel {

class ErrorEvent : public Event {
public:
    // The message and file name are retained for the event's life; either may be null.
    ErrorEvent(CFStringRef inErrorMessage, unsigned long inErrorCode, CFStringRef inFileName,
               unsigned long inLineNumber);
    ~ErrorEvent() override;

    // Shows the message and then the file name on the console, one line each.
    void Process() override;

    CFStringRef GetErrorMessage() const { return mErrorMessage; }
    UInt32 GetErrorCode() const { return mErrorCode; }

private:
    CFStringRef mErrorMessage;
    UInt32 mErrorCode;
};

} // namespace Tarvel
