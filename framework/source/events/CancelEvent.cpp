#include "events/CancelEvent.h"

#include <cstdio>

namespace Tarvel {

CancelEvent::CancelEvent() : Event(kStopEventType) {}

void CancelEvent::Process() {
    std::fputs("CancelEvent::Process\n", stderr);
}

} // namespace Tarvel
