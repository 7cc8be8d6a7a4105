// Windows: a looper with views, shown by the application's event loop.
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "looper.h"
#include "view.h"

class BMenuBar;

enum window_type { B_UNTYPED_WINDOW = 0, B_TITLED_WINDOW = 1 };

constexpr uint32 B_NOT_MOVABLE = 0x00000001;
constexpr uint32 B_NOT_RESIZABLE = 0x00000002;
constexpr uint32 B_NOT_CLOSABLE = 0x00000020;
constexpr uint32 B_NOT_ZOOMABLE = 0x00000040;
constexpr uint32 B_CURRENT_WORKSPACE = 0;

class BWindow : public BLooper {
public:
    // `frame` is the content area on the screen, both edges counted.
    BWindow(BRect frame, const char* title, window_type type, uint32 flags,
            uint32 workspace = B_CURRENT_WORKSPACE);
    ~BWindow() override;

    // The first Show starts the window's message loop and puts the window
    // on the screen; the close box then posts B_QUIT_REQUESTED to it.
    void Show();
    void Hide();
    bool IsHidden() const;

    // The window takes ownership of the view; a menu bar becomes the
    // window's key menu bar.
    void AddChild(BView* view);
    BMenuBar* KeyMenuBar() const;
    std::vector<BView*> Children() const;

    BRect Frame() const { return fFrame; }
    const char* Title() const { return fTitle.c_str(); }
    uint32 Flags() const { return fFlags; }

    // Pixels of the screen per pixel of the window (1 to 8); set before Show.
    void SetPixelScale(int32 scale);
    int32 PixelScale() const { return fScale.load(std::memory_order_relaxed); }

protected:
    void LoopEnded() override;

private:
    BRect fFrame;
    std::string fTitle;
    uint32 fFlags;
    std::atomic<int32> fScale{1};

    mutable std::mutex fChildrenLock;  // guards what follows
    std::vector<std::unique_ptr<BView>> fChildren;
    BMenuBar* fKeyMenuBar = nullptr;
    bool fHidden = true;
    bool fShownOnce = false;
};
