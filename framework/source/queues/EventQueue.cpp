#include "queues/EventQueue.h"

namespace Tarvel {

EventQueue::EventQueue() : TSafeQueue<Event*>(CFSTR("event.queue"), 0) {}

unsigned long EventQueue::GetElementSize(Event*) const {
    return 0;
}

} // namespace Tarvel
