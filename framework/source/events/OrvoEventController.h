// Owner of an event queue. One controller at a time is the current one, reachable through
// static functions, so that code with no path to the page's objects (a delivery engine,
// the print system's cancel) can still post an event to the page being rendered.
//
// The current controller is guarded for use from any thread: posters reach it under a
// process-wide lock and announce themselves while they append to its queue, and the
// current controller, when it goes, waits until no poster is still using it.
#pragma once

#include "events/Event.h"
#include "queues/EventQueue.h"

namespace Tarvel {

class OrvoEventController {
public:
    // Creates an empty queue; becomes the current controller when there is none.
    OrvoEventController();
    OrvoEventController(const OrvoEventController&) = delete;
    OrvoEventController& operator=(const OrvoEventController&) = delete;
    // Stops being current (waiting for posters still at work) and deletes the queue with
    // any events left in it, unprocessed.
    virtual ~OrvoEventController();

    // A new error event; PostError calls it on the current controller. A subclass that
    // replaces it must call ResignAsCurrentController first thing in its destructor, so
    // that no poster calls it on a half-destroyed controller.
    virtual Event* CreateErrorEvent(CFStringRef inErrorMessage, unsigned long inErrorCode,
                                    CFStringRef inFileName, unsigned long inLineNumber);

    bool IsSingletonController() const { return mIsSingletonController; }

    // The current controller's queue, or null. Only the thread that owns the current
    // controller (the page's thread) may keep and use the pointer; other threads append
    // through Post or PostToCurrentQueue.
    static EventQueue* GetEventQueue();
    // Appends the event to the current controller's queue, or, when there is none,
    // processes it at once on the calling thread and deletes it. Null is ignored.
    static void Post(Event* inEvent);
    // Appends an error event made by the current controller; nothing without one.
    static void PostError(CFStringRef inErrorMessage, unsigned long inErrorCode,
                          CFStringRef inFileName, unsigned long inLineNumber);
    // Appends the event to the current controller's queue without processing it. Without
    // a current controller the event is deleted and false returned. Null is ignored.
    static bool PostToCurrentQueue(Event* inEvent);

protected:
    // Stops being the current controller once no poster uses it any more. Idempotent.
    void ResignAsCurrentController();

private:
    class StCurrentController;

    bool mIsSingletonController;
    EventQueue* mEventQueue;

    static OrvoEventController* sEventController;
};

} // namespace Tarvel
