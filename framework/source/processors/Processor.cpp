#include "processors/Processor.h"

#include <cstdint>
#include <cstdio>
#include <exception>

namespace Tarvel {

Processor::Processor() : mInRunLoop(false), mKilled(false), mThread(), mThreadStarted(false) {
    const int status = pthread_mutex_init(&mKillLock, nullptr);
    if (status != 0)
        throw static_cast<long>(status);
}

Processor::~Processor() {
    JoinRunLoop();
    pthread_mutex_destroy(&mKillLock);
}

int Processor::Run() {
    return 0;
}

int Processor::EnterRunLoop() {
    if (mThreadStarted)
        return 0;
    const int status = pthread_create(&mThread, nullptr, &Processor::ProcessorRun, this);
    if (status == 0)
        mThreadStarted = true;
    return status;
}

void Processor::JoinRunLoop() {
    if (!mThreadStarted)
        return;
    pthread_join(mThread, nullptr);
    mThreadStarted = false;
}

void Processor::KillRunLoop() {
    pthread_mutex_lock(&mKillLock);
    mKilled = true;
    pthread_mutex_unlock(&mKillLock);
}

bool Processor::Killed() {
    pthread_mutex_lock(&mKillLock);
    const bool killed = mKilled;
    pthread_mutex_unlock(&mKillLock);
    return killed;
}

void* Processor::ProcessorRun(void* inProcessor) {
    if (inProcessor == nullptr)
        return nullptr;
    Processor* processor = static_cast<Processor*>(inProcessor);
    processor->mInRunLoop = true;
    int result = -1;
    // Nothing may escape a thread's body: it would end the process.
    try {
        result = processor->Run();
    } catch (const std::exception& exception) {
        std::fprintf(stderr, "Processor: the thread stopped on an exception: %s\n",
                     exception.what());
    } catch (long status) {
        std::fprintf(stderr, "Processor: the thread stopped on error %ld\n", status);
    } catch (...) {
        std::fputs("Processor: the thread stopped on an exception\n", stderr);
    }
    processor->mInRunLoop = false;
    return reinterpret_cast<void*>(static_cast<intptr_t>(result));
}

} // namespace Tarvel
