// A thread that runs one loop (Run) once. The owner starts it with EnterRunLoop, may ask
// it to stop with KillRunLoop, and must wait for it with JoinRunLoop before destroying it.
#pragma once

#include <pthread.h>

#include <atomic>

namespace Tarvel {

class Processor {
public:
    // Throws the error number (as a long) of a kill lock that cannot be made.
    Processor();
    Processor(const Processor&) = delete;
    Processor& operator=(const Processor&) = delete;
    // Waits for a thread that was started and not joined.
    virtual ~Processor();

    // The thread's body; its result is the thread's exit value.
    virtual int Run();

    // Starts the thread; 0, or the error number when the thread could not be created
    // (then nothing runs and JoinRunLoop returns at once).
    int EnterRunLoop();
    // Waits for a started thread to end; at once when none was started or it was joined.
    void JoinRunLoop();
    // Asks the loop to stop at the top of its next pass; it does not wake a thread that
    // waits inside a queue.
    void KillRunLoop();
    bool Killed();
    bool InRunLoop() const { return mInRunLoop.load(); }
    pthread_t* GetThread() { return &mThread; }

    static void* ProcessorRun(void* inProcessor);

private:
    std::atomic<bool> mInRunLoop;
    bool mKilled;
    pthread_t mThread;
    pthread_mutex_t mKillLock;
    bool mThreadStarted;
};

} // namespace Tarvel
