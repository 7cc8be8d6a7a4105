// Windows: a looper with views, shown by the application's event loop.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
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

// Modifier keys of shortcuts. Left and right keys count alike.
constexpr uint32 B_SHIFT_KEY = 0x00000001;
constexpr uint32 B_COMMAND_KEY = 0x00000002;  // Alt
constexpr uint32 B_CONTROL_KEY = 0x00000004;
constexpr uint32 B_OPTION_KEY = 0x00000040;  // the logo key
constexpr uint32 kShortcutModifiers = B_SHIFT_KEY | B_COMMAND_KEY | B_CONTROL_KEY | B_OPTION_KEY;

// Key codes (as in key_info) of the function keys: F1 is B_F1_KEY, F12 B_F1_KEY + 11.
constexpr uint32 B_F1_KEY = 0x02;

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
    std::string Title() const;
    // The title bar's text; the window shows it at its next refresh.
    void SetTitle(const char* title);
    uint32 Flags() const { return fFlags; }

    // A window without B_NOT_RESIZABLE can be resized by the user, never
    // below the smallest size given here (width and height count both
    // edges, as in a BRect: 255 is 256 pixels); the maximums are not
    // enforced. By default the smallest size is the frame's.
    void SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight);
    void GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight, float* maxHeight) const;

    // Fills the screen with the window, or brings it back to the size and
    // place it had before. The window changes at its next refresh.
    void SetFullScreen(bool fullScreen);
    bool IsFullScreen() const { return fFullScreen.load(std::memory_order_relaxed); }

    // Keyboard shortcuts. While the window has the keyboard, pressing key
    // `key` (a key code, as in key_info, not a character) with exactly the
    // modifiers `modifiers` posts a copy of `pressed` to the window and,
    // when `released` is given, releasing the key posts a copy of it. Such a
    // key never reaches the key state, and does nothing while an alert is
    // open. The window takes the messages; a second shortcut for the same
    // key and modifiers replaces the first.
    void AddShortcut(uint32 key, uint32 modifiers, BMessage* pressed, BMessage* released = nullptr);
    void RemoveShortcut(uint32 key, uint32 modifiers);
    // For the event loop: whether `key` with `modifiers` is a shortcut, and
    // if so copies of its messages (`released` left empty, code 0, when it
    // has none).
    bool FindShortcut(uint32 key, uint32 modifiers, BMessage* pressed, BMessage* released) const;

    // Where the window's content area stands on the screen, in screen
    // pixels. Given before the first Show, the window opens there at that
    // size (moved onto the screen, see kit::on_screen) instead of at its
    // frame times its scale; the event loop keeps it
    // as the window is moved and resized (not while full screen). Until
    // either, an invalid rectangle (a negative width).
    void SetScreenPlace(BRect place);
    BRect ScreenPlace() const;
    // Where the event loop first put the window on the screen (invalid until
    // then): ScreenPlace differs once the window is moved or resized.
    BRect OpeningPlace() const;
    // For the event loop: where the window stands now.
    void PlacedOnScreen(BRect place);
    // Before the first Show: the window opens at its screen place's size
    // beside `other` (see kit::beside) when `other` is on the screen by then.
    void OpenBeside(const BWindow* other);
    const BWindow* OpensBeside() const;

    // Pixels of the screen per pixel of the window (1 to 8); set before Show.
    void SetPixelScale(int32 scale);
    int32 PixelScale() const { return fScale.load(std::memory_order_relaxed); }

protected:
    void LoopEnded() override;

private:
    BRect fFrame;
    uint32 fFlags;
    std::atomic<int32> fScale{1};
    std::atomic<bool> fFullScreen{false};

    mutable std::mutex fAppearanceLock;  // guards what follows
    std::string fTitle;
    BRect fScreenPlace, fOpeningPlace;
    const BWindow* fBeside = nullptr;
    float fMinWidth, fMinHeight, fMaxWidth = 1e6f, fMaxHeight = 1e6f;

    struct Shortcut {
        uint32 key, modifiers;
        std::unique_ptr<BMessage> pressed, released;
    };
    mutable std::mutex fShortcutsLock;  // guards fShortcuts
    std::vector<Shortcut> fShortcuts;

    mutable std::mutex fChildrenLock;  // guards what follows
    std::vector<std::unique_ptr<BView>> fChildren;
    BMenuBar* fKeyMenuBar = nullptr;
    bool fHidden = true;
    bool fShownOnce = false;
};
