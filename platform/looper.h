// Loopers: a message queue handled on one thread, with the looper's lock held
// while each message is handled.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <thread>

#include "kernel.h"
#include "message.h"

class BLooper {
public:
    explicit BLooper(const char* name = nullptr);
    virtual ~BLooper();
    BLooper(const BLooper&) = delete;
    BLooper& operator=(const BLooper&) = delete;

    // Starts the message loop on a thread of its own; returns that thread.
    virtual thread_id Run();
    // Ends the message loop after the message being handled; messages still
    // queued are dropped. Does not wait for the loop's thread.
    virtual void Quit();

    // Queues a copy of the message (or a message with this code) for the
    // loop. Messages are handled in the order they were posted.
    status_t PostMessage(uint32 command);
    status_t PostMessage(const BMessage* message);

    virtual void MessageReceived(BMessage* message);
    // Asked when B_QUIT_REQUESTED arrives: true ends the loop.
    virtual bool QuitRequested();

    // The looper's lock: recursive for its owner. In a kit thread, a wait
    // for it ends by unwinding when the thread is killed.
    bool Lock();
    void Unlock();
    bool IsLocked() const;  // by the calling thread

    thread_id Thread() const { return fThread; }
    const char* Name() const { return fName.c_str(); }
    // True once the loop has ended (after an accepted quit).
    bool IsQuitting() const;

protected:
    // Handles one message: B_QUIT_REQUESTED asks QuitRequested() and quits
    // when it agrees; anything else goes to MessageReceived().
    virtual void DispatchMessage(BMessage* message);
    // Called after a message was queued, on the posting thread.
    virtual void MessagePosted() {}
    // Called on the loop's thread when the loop has ended.
    virtual void LoopEnded() {}

    // For loops driven from outside (the application's): the next queued
    // message, or null when there is none or the looper quits.
    std::unique_ptr<BMessage> NextMessage();
    // Stops the loop's thread, if any, and waits for it.
    void StopLoop();

private:
    static int32 LoopEntry(void* looper);
    void Loop();

    std::string fName;
    thread_id fThread = -1;

    // Guarded by kit::lock().
    std::deque<std::unique_ptr<BMessage>> fQueue;
    std::condition_variable fQueueChanged;
    bool fQuitting = false;
    std::thread::id fOwner;
    int32 fLockCount = 0;
    std::condition_variable fLockFreed;
};
