#include "looper.h"

#include "kit_sync.h"

namespace {

// Holds a looper's lock for one message, released also when the handler unwinds.
class HeldLock {
public:
    explicit HeldLock(BLooper& looper) : fLooper(looper) { fLooper.Lock(); }
    ~HeldLock() { fLooper.Unlock(); }

private:
    BLooper& fLooper;
};

}  // namespace

BLooper::BLooper(const char* name) : fName(name ? name : "") {}

BLooper::~BLooper() { StopLoop(); }

thread_id BLooper::Run() {
    if (fThread >= 0) return fThread;
    const std::string threadName = fName.empty() ? "looper" : fName;
    fThread = spawn_thread(LoopEntry, threadName.c_str(), B_NORMAL_PRIORITY, this);
    if (fThread >= 0) resume_thread(fThread);
    return fThread;
}

int32 BLooper::LoopEntry(void* looper) {
    static_cast<BLooper*>(looper)->Loop();
    return 0;
}

void BLooper::Loop() {
    for (;;) {
        std::unique_ptr<BMessage> message;
        {
            std::unique_lock held(kit::lock());
            kit::wait(held, fQueueChanged, [&] { return fQuitting || !fQueue.empty(); });
            if (fQuitting) break;
            message = std::move(fQueue.front());
            fQueue.pop_front();
        }
        HeldLock locked(*this);
        DispatchMessage(message.get());
    }
    LoopEnded();
}

std::unique_ptr<BMessage> BLooper::NextMessage() {
    std::lock_guard held(kit::lock());
    if (fQuitting || fQueue.empty()) return nullptr;
    auto message = std::move(fQueue.front());
    fQueue.pop_front();
    return message;
}

void BLooper::Quit() {
    std::lock_guard held(kit::lock());
    fQuitting = true;
    fQueue.clear();
    fQueueChanged.notify_all();
}

bool BLooper::IsQuitting() const {
    std::lock_guard held(kit::lock());
    return fQuitting;
}

void BLooper::StopLoop() {
    if (fThread < 0) return;
    Quit();
    if (kit::current_thread() && kit::current_thread()->id == fThread) return;
    wait_for_thread(fThread, nullptr);
    fThread = -1;
}

status_t BLooper::PostMessage(uint32 command) {
    BMessage message(command);
    return PostMessage(&message);
}

status_t BLooper::PostMessage(const BMessage* message) {
    if (!message) return B_BAD_VALUE;
    {
        std::lock_guard held(kit::lock());
        if (fQuitting) return B_ERROR;
        fQueue.push_back(std::make_unique<BMessage>(*message));
        fQueueChanged.notify_all();
    }
    MessagePosted();
    return B_OK;
}

void BLooper::DispatchMessage(BMessage* message) {
    if (message->what == B_QUIT_REQUESTED) {
        if (QuitRequested()) Quit();
        return;
    }
    MessageReceived(message);
}

void BLooper::MessageReceived(BMessage*) {}

bool BLooper::QuitRequested() { return true; }

bool BLooper::Lock() {
    std::unique_lock held(kit::lock());
    const auto me = std::this_thread::get_id();
    if (fLockCount > 0 && fOwner == me) {
        ++fLockCount;
        return true;
    }
    kit::wait(held, fLockFreed, [&] { return fLockCount == 0; });
    fOwner = me;
    fLockCount = 1;
    return true;
}

void BLooper::Unlock() {
    std::lock_guard held(kit::lock());
    if (fLockCount == 0 || fOwner != std::this_thread::get_id()) return;
    if (--fLockCount == 0) {
        fOwner = std::thread::id();
        fLockFreed.notify_all();
    }
}

bool BLooper::IsLocked() const {
    std::lock_guard held(kit::lock());
    return fLockCount > 0 && fOwner == std::this_thread::get_id();
}
