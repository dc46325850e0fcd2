// A request to stop the page: undelivered output is dropped and the page ends.
#pragma once

#include "events/Event.h"

namespace Tarvel {

class CancelEvent : public Event {
public:
    CancelEvent();
    // Writes "CancelEvent::Process" to the standard error stream.
    void Process() override;
};

} // namespace Tarvel
