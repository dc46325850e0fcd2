#include "events/OrvoEventController.h"

#include "events/ErrorEvent.h"

#include <condition_variable>
#include <memory>
#include <mutex>

namespace Tarvel {

namespace {

// Guards sEventController and counts the posters that are using the current controller.
std::mutex& CurrentLock() {
    static std::mutex lock;
    return lock;
}
std::condition_variable& NoPosters() {
    static std::condition_variable condition;
    return condition;
}
unsigned long sPosters = 0;

} // namespace

OrvoEventController* OrvoEventController::sEventController = nullptr;

// Holds the current controller, if any, for as long as it lives: the controller cannot
// stop being current meanwhile.
class OrvoEventController::StCurrentController {
public:
    StCurrentController() {
        std::lock_guard<std::mutex> guard(CurrentLock());
        mController = sEventController;
        if (mController != nullptr)
            ++sPosters;
    }
    ~StCurrentController() {
        if (mController == nullptr)
            return;
        std::lock_guard<std::mutex> guard(CurrentLock());
        if (--sPosters == 0)
            NoPosters().notify_all();
    }
    StCurrentController(const StCurrentController&) = delete;
    StCurrentController& operator=(const StCurrentController&) = delete;

    OrvoEventController* Get() const { return mController; }

private:
    OrvoEventController* mController;
};

OrvoEventController::OrvoEventController()
    : mIsSingletonController(false), mEventQueue(new EventQueue()) {
    std::lock_guard<std::mutex> guard(CurrentLock());
    if (sEventController == nullptr) {
        sEventController = this;
        mIsSingletonController = true;
    }
}

OrvoEventController::~OrvoEventController() {
    ResignAsCurrentController();
    delete mEventQueue;
}

void OrvoEventController::ResignAsCurrentController() {
    if (!mIsSingletonController)
        return;
    std::unique_lock<std::mutex> guard(CurrentLock());
    // New posters find no controller from here on; those already at work finish first.
    if (sEventController == this)
        sEventController = nullptr;
    NoPosters().wait(guard, [] { return sPosters == 0; });
    mIsSingletonController = false;
}

Event* OrvoEventController::CreateErrorEvent(CFStringRef inErrorMessage, unsigned long inErrorCode,
                                             CFStringRef inFileName, unsigned long inLineNumber) {
    return new ErrorEvent(inErrorMessage, inErrorCode, inFileName, inLineNumber);
}

EventQueue* OrvoEventController::GetEventQueue() {
    std::lock_guard<std::mutex> guard(CurrentLock());
    return sEventController != nullptr ? sEventController->mEventQueue : nullptr;
}

void OrvoEventController::Post(Event* inEvent) {
    if (inEvent == nullptr)
        return;
    std::unique_ptr<Event> event(inEvent);
    {
        StCurrentController current;
        if (current.Get() != nullptr) {
            current.Get()->mEventQueue->Enqueue(event.release());
            return;
        }
    }
    event->Process();
}

void OrvoEventController::PostError(CFStringRef inErrorMessage, unsigned long inErrorCode,
                                    CFStringRef inFileName, unsigned long inLineNumber) {
    StCurrentController current;
    if (current.Get() == nullptr)
        return;
    Event* event =
        current.Get()->CreateErrorEvent(inErrorMessage, inErrorCode, inFileName, inLineNumber);
    if (event != nullptr)
        current.Get()->mEventQueue->Enqueue(event);
}

bool OrvoEventController::PostToCurrentQueue(Event* inEvent) {
    if (inEvent == nullptr)
        return false;
    std::unique_ptr<Event> event(inEvent);
    StCurrentController current;
    if (current.Get() == nullptr)
        return false;
    current.Get()->mEventQueue->Enqueue(event.release());
    return true;
}

} // namespace Tarvel
