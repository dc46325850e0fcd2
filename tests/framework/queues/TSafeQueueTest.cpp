#include "queues/EventQueue.h"
#include "queues/ImageRowQueue.h"
#include "queues/SourceRowQueue.h"
#include "queues/TranslatedBlockQueue.h"
#include "rows-and-blocks/sourcerows/RasterSourceRow.h"

#include <CoreFoundation/CFNumber.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace Tarvel;

namespace {

std::atomic<int> sLiveBlocks{0};

// A block of a given size that counts how many of its kind are alive.
class CountedBlock : public TranslatedBlock {
public:
    explicit CountedBlock(unsigned long inSize, int inTag = 0) : mSize(inSize), mTag(inTag) {
        ++sLiveBlocks;
    }
    ~CountedBlock() override { --sLiveBlocks; }
    const char* Get() const override { return nullptr; }
    unsigned long GetByteSize() const override { return mSize; }
    int Tag() const { return mTag; }

private:
    unsigned long mSize;
    int mTag;
};

SInt32 Figure(PerformanceComponent& inQueue, const char* inKey) {
    inQueue.UpdateComponentDetails();
    CFStringRef key = CFStringCreateWithCString(nullptr, inKey, kCFStringEncodingUTF8);
    CFNumberRef number =
        static_cast<CFNumberRef>(CFDictionaryGetValue(inQueue.GetComponentData(), key));
    CFRelease(key);
    SInt32 value = -1;
    if (number != nullptr)
        CFNumberGetValue(number, kCFNumberSInt32Type, &value);
    return value;
}

class TSafeQueueTest : public ::testing::Test {
protected:
    void SetUp() override { sLiveBlocks = 0; }
    void TearDown() override { EXPECT_EQ(sLiveBlocks, 0); }
};

} // namespace

TEST_F(TSafeQueueTest, BoundIsTestedAfterInsertionAndBlocksTheNextProducer) {
    TranslatedBlockQueue queue(1000);
    queue.Enqueue(new CountedBlock(600));
    queue.Enqueue(new CountedBlock(600)); // 600 < 1000: room for one more
    EXPECT_EQ(Figure(queue, "element.byte.size"), 1200);

    std::atomic<bool> thirdQueued{false};
    std::thread producer([&] {
        queue.Enqueue(new CountedBlock(600));
        thirdQueued = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(thirdQueued); // full: the producer waits
    delete queue.Dequeue();    // 600 left, below the bound
    producer.join();
    EXPECT_TRUE(thirdQueued);
    delete queue.Dequeue();
    delete queue.Dequeue();
}

TEST_F(TSafeQueueTest, UnboundedAndOversizedElementsNeverBlockAnEmptyQueue) {
    TranslatedBlockQueue unbounded(0);
    for (int i = 0; i < 100; ++i)
        unbounded.Enqueue(new CountedBlock(1u << 20));
    EXPECT_EQ(Figure(unbounded, "element.count"), 100);

    TranslatedBlockQueue bounded(1000);
    bounded.Enqueue(new CountedBlock(5000));
    EXPECT_EQ(Figure(bounded, "element.byte.size"), 5000);
    EXPECT_EQ(Figure(bounded, "maximum.queue.byte.size"), 1000);
    delete bounded.Dequeue();
    // The 100 blocks still queued are deleted with the queue (checked in TearDown).
}

TEST_F(TSafeQueueTest, NullElementsCountButAddNoBytes) {
    TranslatedBlockQueue queue(1000);
    queue.Enqueue(nullptr);
    queue.Enqueue(new CountedBlock(7));
    queue.Enqueue(nullptr);
    EXPECT_EQ(Figure(queue, "element.count"), 3);
    EXPECT_EQ(Figure(queue, "historic.element.count"), 3);
    EXPECT_EQ(Figure(queue, "element.byte.size"), 7);
    EXPECT_EQ(queue.Dequeue(), nullptr);
    delete queue.Dequeue();
    EXPECT_EQ(queue.Dequeue(), nullptr);
    EXPECT_EQ(Figure(queue, "element.count"), 0);
    EXPECT_EQ(Figure(queue, "historic.element.byte.size"), 7);
}

TEST_F(TSafeQueueTest, EndIsReachedOnlyAfterEveryElementAndTheMarker) {
    SourceRowQueue queue(0);
    queue.Enqueue(new RasterSourceRow(nullptr, 8, 2, 16));
    queue.Enqueue(new RasterSourceRow(nullptr, 4, 2, 16));
    queue.SetEndOfQueue();
    for (long expected : {8L, 4L}) {
        EXPECT_FALSE(queue.EndOfQueue());
        SourceRow* row = queue.Dequeue();
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->GetByteSize(), expected);
        delete row;
    }
    EXPECT_FALSE(queue.EndOfQueue());
    EXPECT_EQ(queue.Dequeue(), nullptr);
    EXPECT_TRUE(queue.EndOfQueue());
}

TEST_F(TSafeQueueTest, BlockedConsumerIsWokenByTheEnd) {
    TranslatedBlockQueue queue(1000);
    TranslatedBlock* taken = reinterpret_cast<TranslatedBlock*>(1);
    std::thread consumer([&] { taken = queue.Dequeue(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    queue.SetEndOfQueue();
    consumer.join();
    EXPECT_EQ(taken, nullptr);
    EXPECT_TRUE(queue.EndOfQueue());
}

TEST_F(TSafeQueueTest, FlushDeletesTheQueuedBlocksAndLeavesOnlyTheMarker) {
    TranslatedBlockQueue queue(0);
    for (int i = 0; i < 10; ++i)
        queue.Enqueue(new CountedBlock(10));
    queue.FlushAndSetEndOfQueue();
    EXPECT_EQ(sLiveBlocks, 0);
    EXPECT_EQ(Figure(queue, "element.count"), 1);
    EXPECT_EQ(Figure(queue, "element.byte.size"), 0);
    EXPECT_EQ(Figure(queue, "historic.element.count"), 11);
    EXPECT_EQ(Figure(queue, "historic.element.byte.size"), 100);
    EXPECT_TRUE(queue.IsClosed());
    EXPECT_FALSE(queue.EndOfQueue());
    EXPECT_EQ(queue.Dequeue(), nullptr);
    EXPECT_TRUE(queue.EndOfQueue());
}

TEST_F(TSafeQueueTest, ClosedQueueDeletesWhatIsEnqueuedAndNeverBlocks) {
    TranslatedBlockQueue queue(100);
    queue.FlushAndSetEndOfQueue();
    for (int i = 0; i < 5; ++i)
        queue.Enqueue(new CountedBlock(1000)); // would be full after the first
    EXPECT_EQ(sLiveBlocks, 0);
    queue.SetEndOfQueue();
    EXPECT_EQ(Figure(queue, "element.count"), 1);
    EXPECT_EQ(queue.Dequeue(), nullptr);
    EXPECT_TRUE(queue.EndOfQueue());
    EXPECT_EQ(queue.Dequeue(), nullptr); // drained and closed: no wait
}

TEST_F(TSafeQueueTest, FlushWakesABlockedProducerAndABlockedConsumer) {
    TranslatedBlockQueue full(100);
    full.Enqueue(new CountedBlock(500));
    std::thread producer([&] { full.Enqueue(new CountedBlock(500)); });
    TranslatedBlockQueue empty(100);
    TranslatedBlock* taken = reinterpret_cast<TranslatedBlock*>(1);
    std::thread consumer([&] { taken = empty.Dequeue(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    full.FlushAndSetEndOfQueue();
    empty.FlushAndSetEndOfQueue();
    producer.join();
    consumer.join();
    EXPECT_EQ(taken, nullptr);
    EXPECT_EQ(sLiveBlocks, 0);
}

TEST_F(TSafeQueueTest, ElementSizesOfTheTypedQueues) {
    ImageRowQueue images(0);
    ImageRow* row = new ImageRow();
    row->AppendPlane(new Plane(3));
    row->AppendPlane(new Plane(nullptr, 4));
    images.Enqueue(row);
    EXPECT_EQ(Figure(images, "element.byte.size"), 7);

    EventQueue events;
    events.Enqueue(new Event(Event::kStatusEventType));
    events.Enqueue(new Event(Event::kStopEventType));
    EXPECT_EQ(Figure(events, "element.byte.size"), 0);
    EXPECT_EQ(Figure(events, "maximum.queue.byte.size"), 0);
    EXPECT_TRUE(CFEqual(events.GetUniqueComponentName(), CFSTR("event.queue")));
    EXPECT_TRUE(CFEqual(images.GetUniqueComponentName(), CFSTR("image.row.queue")));
    // Both queues delete what is left in them.
}

TEST_F(TSafeQueueTest, HandsOverEveryElementInOrderBetweenThreads) {
    constexpr int kCount = 20000;
    TranslatedBlockQueue queue(64);
    std::thread producer([&] {
        for (int i = 0; i < kCount; ++i)
            queue.Enqueue(i % 7 == 0 ? nullptr : new CountedBlock(16, i));
        queue.SetEndOfQueue();
    });
    std::thread sampler([&] {
        for (int i = 0; i < 200; ++i)
            queue.UpdateComponentDetails();
    });
    int expected = 0, received = 0;
    while (!queue.EndOfQueue()) {
        TranslatedBlock* block = queue.Dequeue();
        if (block == nullptr)
            continue;
        const int tag = static_cast<CountedBlock*>(block)->Tag();
        while (expected % 7 == 0)
            ++expected;
        EXPECT_EQ(tag, expected);
        ++expected;
        ++received;
        delete block;
    }
    producer.join();
    sampler.join();
    EXPECT_EQ(received, kCount - (kCount + 6) / 7);
}
