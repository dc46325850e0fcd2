#include "events/OrvoEventController.h"
#include "events/CancelEvent.h"
#include "events/ErrorEvent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

using namespace Tarvel;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

std::atomic<int> sLiveEvents{0};
std::atomic<int> sProcessed{0};

class CountedEvent : public Event {
public:
    CountedEvent() : Event(kStatusEventType) { ++sLiveEvents; }
    ~CountedEvent() override { --sLiveEvents; }
    void Process() override { ++sProcessed; }
};

class MarkedErrorEvent : public ErrorEvent {
public:
    using ErrorEvent::ErrorEvent;
};

// A controller whose errors are events of its own kind.
class MarkingController : public OrvoEventController {
public:
    ~MarkingController() override { ResignAsCurrentController(); }
    Event* CreateErrorEvent(CFStringRef inMessage, unsigned long inCode, CFStringRef inFile,
                            unsigned long inLine) override {
        return new MarkedErrorEvent(inMessage, inCode, inFile, inLine);
    }
};

class OrvoEventControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        sLiveEvents = 0;
        sProcessed = 0;
        ASSERT_EQ(OrvoEventController::GetEventQueue(), nullptr);
    }
    void TearDown() override {
        EXPECT_EQ(sLiveEvents, 0);
        EXPECT_EQ(OrvoEventController::GetEventQueue(), nullptr);
    }
};

} // namespace

TEST_F(OrvoEventControllerTest, OnlyTheFirstOfTwoControllersIsCurrent) {
    auto first = std::make_unique<OrvoEventController>();
    auto second = std::make_unique<OrvoEventController>();
    EXPECT_TRUE(first->IsSingletonController());
    EXPECT_FALSE(second->IsSingletonController());
    EventQueue* queue = OrvoEventController::GetEventQueue();
    ASSERT_NE(queue, nullptr);
    second.reset();
    EXPECT_EQ(OrvoEventController::GetEventQueue(), queue);
    first.reset();
    EXPECT_EQ(OrvoEventController::GetEventQueue(), nullptr);

    // A controller made while another was current never becomes current later.
    first = std::make_unique<OrvoEventController>();
    second = std::make_unique<OrvoEventController>();
    first.reset();
    EXPECT_FALSE(second->IsSingletonController());
    EXPECT_EQ(OrvoEventController::GetEventQueue(), nullptr);
}

TEST_F(OrvoEventControllerTest, WithoutAControllerPostProcessesAtOnceAndErrorsAreDropped) {
    OrvoEventController::Post(nullptr);
    OrvoEventController::Post(new CountedEvent());
    EXPECT_EQ(sProcessed, 1);
    EXPECT_EQ(sLiveEvents, 0);

    CaptureStderr();
    OrvoEventController::PostError(CFSTR("OutputError-Writing"), 5, CFSTR("f.cpp"), 1);
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_FALSE(OrvoEventController::PostToCurrentQueue(new CountedEvent()));
    EXPECT_EQ(sProcessed, 1); // deleted, not processed
}

TEST_F(OrvoEventControllerTest, PostedEventsWaitInTheQueueAndLeftoversAreDeleted) {
    auto controller = std::make_unique<OrvoEventController>();
    EventQueue* queue = OrvoEventController::GetEventQueue();
    OrvoEventController::Post(new CountedEvent());
    EXPECT_TRUE(OrvoEventController::PostToCurrentQueue(new CountedEvent()));
    OrvoEventController::Post(nullptr);
    EXPECT_EQ(sProcessed, 0);
    EXPECT_EQ(sLiveEvents, 2);
    std::unique_ptr<Event> taken(queue->Dequeue());
    ASSERT_NE(taken, nullptr);
    taken.reset();
    controller.reset(); // the other event goes with the queue
    EXPECT_EQ(sProcessed, 0);
}

TEST_F(OrvoEventControllerTest, PostErrorMakesTheCurrentControllersErrorEvent) {
    {
        OrvoEventController controller;
        OrvoEventController::PostError(CFSTR("OutputError-Opening"), 42, CFSTR("Delivery.cpp"), 17);
        std::unique_ptr<Event> event(OrvoEventController::GetEventQueue()->Dequeue());
        auto* error = dynamic_cast<ErrorEvent*>(event.get());
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->GetType(), Event::kStopEventType);
        EXPECT_TRUE(CFEqual(error->GetErrorMessage(), CFSTR("OutputError-Opening")));
        EXPECT_EQ(error->GetErrorCode(), 42u);
        EXPECT_TRUE(CFEqual(error->GetSourceFileName(), CFSTR("Delivery.cpp")));
        EXPECT_EQ(error->GetSourceLineNumber(), 17u);
    }
    {
        MarkingController controller;
        OrvoEventController::PostError(CFSTR("m"), 1, nullptr, 0);
        std::unique_ptr<Event> event(OrvoEventController::GetEventQueue()->Dequeue());
        EXPECT_NE(dynamic_cast<MarkedErrorEvent*>(event.get()), nullptr);
    }
}

TEST_F(OrvoEventControllerTest, EventsProcessTheirWay) {
    CancelEvent cancel;
    EXPECT_EQ(cancel.GetType(), Event::kStopEventType);
    CaptureStderr();
    cancel.Process();
    EXPECT_EQ(GetCapturedStderr(), "CancelEvent::Process\n");

    CFStringRef message =
        CFStringCreateWithCString(nullptr, "OutputError-Writing", kCFStringEncodingUTF8);
    ErrorEvent error(message, 3, CFSTR("Engine.cpp"), 9);
    CFRelease(message); // retained by the event
    CaptureStderr();
    error.Process();
    EXPECT_EQ(GetCapturedStderr(), "OutputError-Writing\nEngine.cpp\n");
}

TEST_F(OrvoEventControllerTest, PostersOnOtherThreadsAndTheControllerComingAndGoing) {
    constexpr int kPosters = 4;
    constexpr int kPostsEach = 500;
    std::atomic<bool> stop{false};
    std::vector<std::thread> posters;
    for (int i = 0; i < kPosters; ++i)
        posters.emplace_back([&, i] {
            for (int n = 0; n < kPostsEach && !stop; ++n) {
                if (n % 2 == 0)
                    OrvoEventController::PostToCurrentQueue(new CountedEvent());
                else if (i % 2 == 0)
                    OrvoEventController::PostError(CFSTR("e"), 1, nullptr, 0);
                else
                    OrvoEventController::Post(new CountedEvent());
            }
        });
    // Controllers are made and destroyed while the posters run; each consumes a little.
    for (int round = 0; round < 50; ++round) {
        OrvoEventController controller;
        EventQueue* queue = OrvoEventController::GetEventQueue();
        if (queue == nullptr)
            continue;
        for (int taken = 0; taken < 5; ++taken) {
            queue->Enqueue(nullptr); // never wait for a poster that has finished
            delete queue->Dequeue();
        }
    }
    stop = true;
    for (std::thread& poster : posters)
        poster.join();
}
