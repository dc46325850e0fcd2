// A blocking first-in, first-out hand-over between two threads, bounded by the bytes it
// holds rather than by the number of elements, with an end-of-stream announcement.
//
// Protocol: the producer enqueues values (null allowed) and finally calls SetEndOfQueue,
// which appends a null wake-up marker. The consumer loops:
//     while (!queue.EndOfQueue()) { T v = queue.Dequeue(); if (v == nullptr) continue; ... }
//
// A queue can also be closed by FlushAndSetEndOfQueue, called by its consumer when it
// stops early or by whoever stops the stream: every queued value is deleted, the end is
// announced, and from then on whatever is enqueued is deleted at once and never blocks,
// so a producer can always finish. A producer checks IsClosed() to stop producing.
//
// The queue owns its nodes. Values belong to the producer until they are taken out and to
// the consumer afterwards; values the consumer can no longer take (flushed, enqueued into
// a closed queue, or left in the queue when it is destroyed) are deleted by the queue.
#pragma once

#include "performance/PerformanceComponent.h"

#include <pthread.h>

#include <cstdio>
#include <type_traits>
#include <vector>

namespace Tarvel {

template <class T>
class TSafeQueue : public PerformanceComponent {
    static_assert(std::is_pointer_v<T>, "queue elements are pointers to owned objects");

public:
    // inMaximumQueueByteSize 0 means unbounded. Throws the error number (as a long) of a
    // lock or condition that cannot be made.
    TSafeQueue(CFStringRef inName, unsigned long inMaximumQueueByteSize);
    ~TSafeQueue() override;

    void UpdateComponentDetails() override;

    // Blocks while the queue is full, then appends.
    void Enqueue(T inValue);
    // Blocks while the queue is empty, then takes the oldest value (which may be null). A
    // closed, drained queue gives null at once.
    T Dequeue();
    // Announces that nothing more follows and wakes the consumer with a null marker.
    void SetEndOfQueue();
    // True once the end has been announced and every element, marker included, taken.
    bool EndOfQueue();
    // Deletes every queued value, announces the end and closes the queue.
    void FlushAndSetEndOfQueue();
    // True once the queue has been flushed: nothing enqueued will ever be taken.
    bool IsClosed();

protected:
    struct Element {
        T mValue;
        Element* mNext;
    };

    // These four run with the lock held.
    virtual bool IsFull() const;
    virtual void EnqueueSelf(T inValue);
    virtual T DequeueSelf();
    virtual unsigned long GetElementSize(T inValue) const = 0;

private:
    void Lock();
    void Unlock();
    static void Dispose(T inValue) { delete inValue; }

    pthread_cond_t mCondNotFull;
    pthread_cond_t mCondNotEmpty;
    pthread_mutex_t mIOLock;
    unsigned long mMaximumQueueByteSize;
    unsigned long mElementCount;
    unsigned long mElementQueuedByteSize;
    unsigned long mHistoricElementCount;
    unsigned long mHistoricElementByteSize;
    Element* mFront;
    Element* mBack;
    bool mFull;
    bool mEmpty;
    bool mEndOfQueue;
    bool mClosed;
};

template <class T>
TSafeQueue<T>::TSafeQueue(CFStringRef inName, unsigned long inMaximumQueueByteSize)
    : PerformanceComponent(inName), mMaximumQueueByteSize(inMaximumQueueByteSize), mElementCount(0),
      mElementQueuedByteSize(0), mHistoricElementCount(0), mHistoricElementByteSize(0),
      mFront(nullptr), mBack(nullptr), mFull(false), mEmpty(true), mEndOfQueue(false),
      mClosed(false) {
    int status = pthread_cond_init(&mCondNotFull, nullptr);
    if (status != 0)
        throw static_cast<long>(status);
    status = pthread_cond_init(&mCondNotEmpty, nullptr);
    if (status != 0) {
        pthread_cond_destroy(&mCondNotFull);
        throw static_cast<long>(status);
    }
    status = pthread_mutex_init(&mIOLock, nullptr);
    if (status != 0) {
        pthread_cond_destroy(&mCondNotEmpty);
        pthread_cond_destroy(&mCondNotFull);
        throw static_cast<long>(status);
    }
}

template <class T>
TSafeQueue<T>::~TSafeQueue() {
    // Nobody can take these any more: the values go with their nodes.
    while (mFront != nullptr) {
        Element* element = mFront;
        mFront = element->mNext;
        Dispose(element->mValue);
        delete element;
    }
    pthread_mutex_destroy(&mIOLock);
    pthread_cond_destroy(&mCondNotEmpty);
    pthread_cond_destroy(&mCondNotFull);
}

template <class T>
void TSafeQueue<T>::Lock() {
    const int status = pthread_mutex_lock(&mIOLock);
    if (status != 0)
        throw static_cast<long>(status);
}

template <class T>
void TSafeQueue<T>::Unlock() {
    pthread_mutex_unlock(&mIOLock);
}

template <class T>
bool TSafeQueue<T>::IsFull() const {
    return mMaximumQueueByteSize != 0 && mElementQueuedByteSize >= mMaximumQueueByteSize;
}

template <class T>
void TSafeQueue<T>::EnqueueSelf(T inValue) {
    Element* element = new Element{inValue, nullptr};
    if (mBack != nullptr)
        mBack->mNext = element;
    mElementCount += 1;
    mHistoricElementCount += 1;
    mEmpty = false;
    mBack = element;
    const unsigned long size = GetElementSize(inValue);
    mElementQueuedByteSize += size;
    mHistoricElementByteSize += size;
    mFull = IsFull();
    if (mFront == nullptr)
        mFront = element;
}

template <class T>
T TSafeQueue<T>::DequeueSelf() {
    if (mFront == nullptr) {
        std::fputs("Queue may have returned junk!\n", stderr);
        return nullptr;
    }
    Element* element = mFront;
    T value = element->mValue;
    mFront = element->mNext;
    mElementCount -= 1;
    mElementQueuedByteSize -= GetElementSize(value);
    mFull = IsFull();
    if (element == mBack) {
        mEmpty = true;
        mBack = mFront;
    }
    delete element;
    return value;
}

template <class T>
void TSafeQueue<T>::Enqueue(T inValue) {
    Lock();
    while (mFull && !mClosed)
        pthread_cond_wait(&mCondNotFull, &mIOLock);
    if (mClosed) {
        Unlock();
        Dispose(inValue);
        return;
    }
    try {
        EnqueueSelf(inValue);
    } catch (...) {
        Unlock();
        throw;
    }
    Unlock();
    pthread_cond_signal(&mCondNotEmpty);
}

template <class T>
T TSafeQueue<T>::Dequeue() {
    Lock();
    while (mEmpty && !mClosed)
        pthread_cond_wait(&mCondNotEmpty, &mIOLock);
    T value = mEmpty ? nullptr : DequeueSelf();
    Unlock();
    pthread_cond_signal(&mCondNotFull);
    return value;
}

template <class T>
void TSafeQueue<T>::SetEndOfQueue() {
    Lock();
    mEndOfQueue = true;
    Unlock();
    Enqueue(nullptr);
}

template <class T>
bool TSafeQueue<T>::EndOfQueue() {
    Lock();
    const bool end = mEndOfQueue && mElementCount == 0;
    Unlock();
    return end;
}

template <class T>
bool TSafeQueue<T>::IsClosed() {
    Lock();
    const bool closed = mClosed;
    Unlock();
    return closed;
}

template <class T>
void TSafeQueue<T>::FlushAndSetEndOfQueue() {
    std::vector<T> discarded;
    Lock();
    try {
        discarded.reserve(mElementCount);
        while (mElementCount > 0)
            discarded.push_back(DequeueSelf());
        mEndOfQueue = true;
        if (!mClosed)
            EnqueueSelf(nullptr);
        mClosed = true;
    } catch (...) {
        Unlock();
        throw;
    }
    Unlock();
    // Wake both sides: a producer waiting for room and a consumer waiting for an element.
    pthread_cond_broadcast(&mCondNotFull);
    pthread_cond_broadcast(&mCondNotEmpty);
    for (T value : discarded)
        Dispose(value);
}

template <class T>
void TSafeQueue<T>::UpdateComponentDetails() {
    Lock();
    const unsigned long count = mElementCount;
    const unsigned long byteSize = mElementQueuedByteSize;
    const unsigned long historicCount = mHistoricElementCount;
    const unsigned long historicByteSize = mHistoricElementByteSize;
    const unsigned long maximum = mMaximumQueueByteSize;
    Unlock();
    SetPerformanceValue_SInt32(CFSTR("element.count"), static_cast<SInt32>(count));
    SetPerformanceValue_SInt32(CFSTR("element.byte.size"), static_cast<SInt32>(byteSize));
    SetPerformanceValue_SInt32(CFSTR("historic.element.count"), static_cast<SInt32>(historicCount));
    SetPerformanceValue_SInt32(CFSTR("historic.element.byte.size"),
                               static_cast<SInt32>(historicByteSize));
    SetPerformanceValue_SInt32(CFSTR("maximum.queue.byte.size"), static_cast<SInt32>(maximum));
}

} // namespace Tarvel
