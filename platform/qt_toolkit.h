#pragma once

#include <deque>
#include <map>
#include <memory>

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include "platform/toolkit.h"

namespace platform {

class ProgramWindow;

// The toolkit on Qt 6 Widgets. Qt's handlers only queue events; the program's own loops
// take them one at a time through WaitEvent and PollEvent.
class QtToolkit final : public Toolkit {
 public:
  QtToolkit();  // needs a QApplication
  ~QtToolkit() override;

  void LoadFont(int font, std::string_view face, int points, bool bold) override;
  void SetDefaultFont(int font) override;
  int OpenWindow(int window, int width, int height, std::string_view title, WindowStyle style,
                 int owner) override;
  void CloseWindow(int window) override;
  Size ClientSize(int window) override;
  void SetWindowTitle(int window, std::string_view title) override;
  void AddShortcut(int window, Key key, int number) override;
  void AddTimer(int window, int timer, int periodMs) override;
  int DecodeImage(int image, std::string_view asset) override;
  Size ImageSize(int image) override;
  void ReleaseImage(int image) override;
  int AddImage(int x, int y, int width, int height, int image) override;
  int AddText(int x, int y, int width, int height, std::string_view text,
              TextAlign align) override;
  int AddCheckBox(int x, int y, int width, int height, std::string_view text) override;
  int AddButton(int x, int y, int width, int height, std::string_view text,
                bool isDefault) override;
  int AddTextBox(int x, int y, int width, int height) override;
  void SetControlFont(int control, int font) override;
  void SetControlText(int control, std::string_view text) override;
  void SetFocus(int control) override;
  int FocusedControl() override;
  bool IsChecked(int control) override;
  Event WaitEvent() override;
  Event PollEvent() override;
  void ShowError(std::string_view text) override;

  // For the platform's own parts (the OpenGL surface) and tests: the widget of a window,
  // or nullptr.
  QWidget* WindowWidget(int window) const;
  QWidget* ControlWidget(int control) const;

  void Queue(const Event& event);

 private:
  struct WindowRecord {
    ProgramWindow* widget = nullptr;  // owned; deleted by CloseWindow or with its owner
    int owner = kNoOwner;
  };

  int AddControl(QWidget* widget, int x, int y, int width, int height);
  void PlaceWindow(QWidget* widget, int width, int height, WindowStyle style, int owner);

  std::map<int, WindowRecord> m_windows;
  std::map<int, QPointer<QWidget>> m_controls;
  std::map<int, QImage> m_images;
  std::map<int, QFont> m_fonts;
  std::deque<Event> m_events;
  QFont m_defaultFont;
  int m_currentWindow = kNoOwner;  // the window controls go into
  int m_nextWindow = 1000;
  int m_nextControl = 100;
  int m_nextImage = 1000;
};

}  // namespace platform
