#pragma once

#include <string_view>

// The windowing seam. The program's own logic (flow, run loop, dialogs) sees windows,
// controls, images and fonts only as small numbers and talks to them through this
// interface; the product links the Qt implementation, unit tests link a fake.
//
// Texts crossing this interface are single-byte code page 1252 ("±" is 0xB1).
namespace platform {

// Every window delivers its events into one stream. A wait or poll takes exactly one
// event; an event the caller does not act on is gone.
enum class EventKind {
  None,              // a poll found nothing pending
  CloseRequest,      // close box, Alt+F4, window menu; the window is NOT closed by it
  ControlActivated,  // a button or check box was clicked (a check box has already toggled)
  Shortcut,          // a keyboard shortcut registered on the active window
  Timer,             // a window timer fired
};

struct Event {
  EventKind kind = EventKind::None;
  int window = -1;  // the window the event came from
  int number = 0;   // control, shortcut or timer number
};

enum class WindowStyle {
  Popup,   // no title bar, no border (the splash window)
  Titled,  // title bar with window menu and close box, fixed size, no minimise/maximise
};

enum class Key { Return, Escape };
enum class TextAlign { Left, Right };

struct Size {
  int width = 0;
  int height = 0;
};

inline constexpr int kToolkitChooses = -1;  // as a window or image number: pick a free one
inline constexpr int kNoOwner = -1;
inline constexpr int kNoControl = -1;

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // Fonts by number; the default font applies to every control created afterwards.
  virtual void LoadFont(int font, std::string_view face, int points, bool bold) = 0;
  virtual void SetDefaultFont(int font) = 0;

  // Opens, shows and activates a window whose client area is width x height (the frame
  // comes on top). Without an owner it is centred on the screen by its outer size, after
  // an outer size larger than the screen has been reduced to it; with an owner it stays
  // above the owner, is centred on the owner's outer rectangle (left/top at least 0) and
  // is closed together with it. Returns the window's number.
  virtual int OpenWindow(int window, int width, int height, std::string_view title,
                         WindowStyle style, int owner) = 0;
  // Activates the owner first, then destroys the window, the windows it owns, its
  // controls, timers, shortcuts and its queued events.
  virtual void CloseWindow(int window) = 0;
  virtual Size ClientSize(int window) = 0;
  virtual void SetWindowTitle(int window, std::string_view title) = 0;
  // Acts only while the window is active, before the focused control sees the key.
  virtual void AddShortcut(int window, Key key, int number) = 0;
  virtual void AddTimer(int window, int timer, int periodMs) = 0;

  // Decodes an embedded PNG by asset name into a 32-bit straight-alpha image;
  // returns its number, or -1 when it cannot be decoded.
  virtual int DecodeImage(int image, std::string_view asset) = 0;
  virtual Size ImageSize(int image) = 0;
  // Frees a decoded image; image controls that show it keep their own copy.
  virtual void ReleaseImage(int image) = 0;

  // Controls go into the window opened most recently; each call returns the control's number.
  // An image control takes the size of its picture whatever size is asked for.
  virtual int AddImage(int x, int y, int width, int height, int image) = 0;
  virtual int AddText(int x, int y, int width, int height, std::string_view text,
                      TextAlign align) = 0;
  virtual int AddCheckBox(int x, int y, int width, int height, std::string_view text) = 0;
  virtual int AddButton(int x, int y, int width, int height, std::string_view text,
                        bool isDefault) = 0;
  // Read-only, multi-line, unwrapped, scroll bars as needed, selectable, a tab stop.
  virtual int AddTextBox(int x, int y, int width, int height) = 0;
  virtual void SetControlFont(int control, int font) = 0;
  virtual void SetControlText(int control, std::string_view text) = 0;
  virtual void SetFocus(int control) = 0;
  virtual int FocusedControl() = 0;  // kNoControl when no control of ours has the focus
  virtual bool IsChecked(int control) = 0;

  // Blocks until an event comes.
  virtual Event WaitEvent() = 0;
  // Never blocks: handles what is pending and returns one event, or kind None.
  virtual Event PollEvent() = 0;

  // A modal error message for a failure that stops the program.
  virtual void ShowError(std::string_view text) = 0;
};

}  // namespace platform
