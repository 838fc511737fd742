#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/toolkit.h"

namespace fakes {

// A toolkit that keeps a log of what the program asked for and hands out scripted events.
// Polls with nothing scripted return no event. A wait with nothing scripted is time passing
// without the user: the oldest live window timer fires ("tick W T"); with no timer it logs
// "wait starved" and returns a close request (it would block for ever in the real program).
// A loop that ignores ticks for ever makes the fake throw instead of hanging the test.
// Tab and Shift+Tab, which never reach the event stream, are modelled by PressTab over the
// tab-stop controls in creation order.
class FakeToolkit final : public platform::Toolkit {
 public:
  std::vector<std::string> log;
  std::vector<std::string> titles;  // every title set, in order
  std::deque<platform::Event> events;
  std::function<void()> onPoll;     // runs before each poll takes its event
  std::function<void()> onWait;     // runs before each wait takes its event
  platform::Size clientSize{512, 512};
  int focused = platform::kNoControl;
  int errors = 0;

  void LoadFont(int font, std::string_view face, int points, bool bold) override {
    Log("font " + std::to_string(font) + " " + std::string(face) + " " +
        std::to_string(points) + (bold ? " bold" : ""));
  }
  void SetDefaultFont(int font) override { Log("default font " + std::to_string(font)); }
  int OpenWindow(int window, int width, int height, std::string_view title,
                 platform::WindowStyle style, int owner) override {
    const int number = window == platform::kToolkitChooses ? m_nextWindow++ : window;
    m_currentWindow = number;
    Log("open " + std::to_string(number) + " " + std::to_string(width) + "x" +
        std::to_string(height) + " '" + std::string(title) + "' " +
        (style == platform::WindowStyle::Popup ? "popup" : "titled") + " owner " +
        std::to_string(owner));
    return number;
  }
  void CloseWindow(int window) override {
    Log("close " + std::to_string(window));
    std::erase_if(m_timers, [&](const TimerOf& timer) { return timer.window == window; });
    std::erase_if(m_tabStops, [&](const TabStopOf& stop) {
      if (stop.window != window) return false;
      if (stop.control == focused) focused = platform::kNoControl;  // the owner is active now
      return true;
    });
  }
  platform::Size ClientSize(int) override { return clientSize; }
  void SetWindowTitle(int, std::string_view title) override { titles.emplace_back(title); }
  void AddShortcut(int window, platform::Key key, int number) override {
    Log("shortcut " + std::to_string(window) + " " +
        (key == platform::Key::Return ? "Return" : "Escape") + " " + std::to_string(number));
  }
  void AddTimer(int window, int timer, int periodMs) override {
    Log("timer " + std::to_string(window) + " " + std::to_string(timer) + " " +
        std::to_string(periodMs));
    m_timers.push_back({window, timer});
  }
  // Chosen image numbers are 900 upwards; the title picture is 400 x 225, the icons 48 x 48.
  int DecodeImage(int image, std::string_view asset) override {
    Log("image " + std::string(asset));
    const int number = image == platform::kToolkitChooses ? m_nextImage++ : image;
    m_imageSizes[number] = asset == "splash" ? platform::Size{400, 225} : platform::Size{48, 48};
    return number;
  }
  platform::Size ImageSize(int image) override {
    const auto it = m_imageSizes.find(image);
    return it != m_imageSizes.end() ? it->second : platform::Size{};
  }
  void ReleaseImage(int image) override { Log("release image " + std::to_string(image)); }
  int AddImage(int x, int y, int w, int h, int image) override {
    return Control("image " + std::to_string(image), x, y, w, h);
  }
  int AddText(int x, int y, int w, int h, std::string_view text,
              platform::TextAlign align) override {
    return Control(std::string(align == platform::TextAlign::Right ? "right " : "left ") +
                       "text '" + std::string(text) + "'",
                   x, y, w, h);
  }
  int AddCheckBox(int x, int y, int w, int h, std::string_view text) override {
    const int control = TabStop(Control("check '" + std::string(text) + "'", x, y, w, h));
    m_checkBoxes.insert(control);
    return control;
  }
  int AddButton(int x, int y, int w, int h, std::string_view text, bool isDefault) override {
    return TabStop(Control(std::string(isDefault ? "default " : "") + "button '" +
                               std::string(text) + "'",
                           x, y, w, h));
  }
  int AddTextBox(int x, int y, int w, int h) override {
    return TabStop(Control("textbox", x, y, w, h));
  }
  void SetControlFont(int control, int font) override {
    Log("font of " + std::to_string(control) + " " + std::to_string(font));
  }
  void SetControlText(int control, std::string_view text) override {
    Log("text of " + std::to_string(control) + " '" + std::string(text) + "'");
  }
  void SetFocus(int control) override { focused = control; }
  int FocusedControl() override { return focused; }
  bool IsChecked(int control) override { return m_checked.contains(control); }
  platform::Event WaitEvent() override {
    if (onWait) onWait();
    if (!events.empty()) {
      m_idleTicks = 0;
      return Take();
    }
    if (!m_timers.empty()) {
      if (++m_idleTicks > kMaxIdleTicks) throw std::runtime_error("a wait that never ends");
      const TimerOf timer = m_timers.front();
      Log("tick " + std::to_string(timer.window) + " " + std::to_string(timer.number));
      return {platform::EventKind::Timer, timer.window, timer.number};
    }
    Log("wait starved");
    return {platform::EventKind::CloseRequest, 0, 0};
  }
  platform::Event PollEvent() override {
    if (onPoll) onPoll();
    if (events.empty()) return {};
    return Take();
  }
  void ShowError(std::string_view text) override {
    ++errors;
    Log("error '" + std::string(text) + "'");
  }

  // A click on the control (or Space while it has the focus): a check box toggles first,
  // then the control's activation is queued.
  void Activate(int window, int control) {
    if (m_checkBoxes.contains(control) && !m_checked.erase(control)) m_checked.insert(control);
    events.push_back({platform::EventKind::ControlActivated, window, control});
  }
  int CurrentWindow() const { return m_currentWindow; }

  // Moves the focus to the next (or previous) tab stop, wrapping round.
  void PressTab(bool backwards = false) {
    if (m_tabStops.empty()) return;
    const auto n = static_cast<int>(m_tabStops.size());
    int index = n - 1;
    for (int i = 0; i < n; ++i) {
      if (m_tabStops[static_cast<std::size_t>(i)].control == focused) index = i;
    }
    index = (index + (backwards ? n - 1 : 1)) % n;
    focused = m_tabStops[static_cast<std::size_t>(index)].control;
  }

 private:
  void Log(std::string line) { log.push_back(std::move(line)); }
  int Control(const std::string& what, int x, int y, int w, int h) {
    const int number = m_nextControl++;
    Log("control " + std::to_string(number) + " " + what + " at " + std::to_string(x) + "," +
        std::to_string(y) + " " + std::to_string(w) + "x" + std::to_string(h));
    return number;
  }
  int TabStop(int control) {
    m_tabStops.push_back({m_currentWindow, control});
    return control;
  }
  platform::Event Take() {
    const platform::Event event = events.front();
    events.pop_front();
    return event;
  }
  struct TabStopOf {
    int window;
    int control;
  };
  struct TimerOf {
    int window;
    int number;
  };
  static constexpr int kMaxIdleTicks = 1000;
  std::vector<TabStopOf> m_tabStops;
  std::vector<TimerOf> m_timers;
  std::set<int> m_checkBoxes;
  std::set<int> m_checked;
  std::map<int, platform::Size> m_imageSizes;
  int m_idleTicks = 0;
  int m_nextImage = 900;
  int m_currentWindow = -1;
  int m_nextWindow = 1000;
  int m_nextControl = 100;
};

}  // namespace fakes
