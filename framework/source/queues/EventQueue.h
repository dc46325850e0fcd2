// The unbounded queue of events that a page's event loop takes from: posting never blocks.
#pragma once

#include "events/Event.h"
#include "queues/TSafeQueue.h"

namespace Tarvel {

class EventQueue : public TSafeQueue<Event*> {
public:
    EventQueue();

protected:
    unsigned long GetElementSize(Event* inValue) const override;
};

} // namespace Tarvel
