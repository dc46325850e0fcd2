// News for the thread that runs a page: a request to stop, an error, a status report. An
// event acts when the page's event loop calls Process and is deleted afterwards.
#pragma once

#include <CoreFoundation/CFString.h>

namespace Tarvel {

class Event {
public:
    enum : unsigned char {
        kStatusEventType = 1, // a report; the page goes on
        kStopEventType = 2,   // the page stops delivering (cancel, error)
    };

    // The file name, when given, is retained for the event's life.
    explicit Event(unsigned char inEventType, CFStringRef inFileName = nullptr,
                   unsigned long inLineNumber = 0);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    virtual ~Event();

    virtual void Process();

    unsigned char GetType() const { return mEventType; }
    CFStringRef GetSourceFileName() const { return mFileName; }
    UInt32 GetSourceLineNumber() const { return mLineNumber; }

private:
    unsigned char mEventType;
    CFStringRef mFileName;
    UInt32 mLineNumber;
};

} // namespace Tarvel
