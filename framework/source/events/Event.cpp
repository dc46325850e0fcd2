#include "events/Event.h"

namespace Tarvel {

Event::Event(unsigned char inEventType, CFStringRef inFileName, unsigned long inLineNumber)
    : mEventType(inEventType), mFileName(inFileName),
      mLineNumber(static_cast<UInt32>(inLineNumber)) {
    if (mFileName != nullptr)
        CFRetain(mFileName);
}

Event::~Event() {
    if (mFileName != nullptr)
        CFRelease(mFileName);
}

void Event::Process() {}

} // namespace Tarvel
