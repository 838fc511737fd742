#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit.h"

namespace fakes {

// A toolkit that keeps a log of what the program asked for and hands out scripted events.
// Polls with nothing scripted return no event; a wait with nothing scripted fails the test
// through the `onStarved` hook (it would block for ever in the real program).
class FakeToolkit final : public platform::Toolkit {
 public:
  std::vector<std::string> log;
  std::vector<std::string> titles;  // every title set, in order
  std::deque<platform::Event> events;
  std::function<void()> onPoll;     // runs before each poll takes its event
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
    Log("open " + std::to_string(number) + " " + std::to_string(width) + "x" +
        std::to_string(height) + " '" + std::string(title) + "' " +
        (style == platform::WindowStyle::Popup ? "popup" : "titled") + " owner " +
        std::to_string(owner));
    return number;
  }
  void CloseWindow(int window) override { Log("close " + std::to_string(window)); }
  platform::Size ClientSize(int) override { return clientSize; }
  void SetWindowTitle(int, std::string_view title) override { titles.emplace_back(title); }
  void AddShortcut(int window, platform::Key key, int number) override {
    Log("shortcut " + std::to_string(window) + " " +
        (key == platform::Key::Return ? "Return" : "Escape") + " " + std::to_string(number));
  }
  void AddTimer(int window, int timer, int periodMs) override {
    Log("timer " + std::to_string(window) + " " + std::to_string(timer) + " " +
        std::to_string(periodMs));
  }
  int DecodeImage(int image, std::string_view asset) override {
    Log("image " + std::string(asset));
    return image == platform::kToolkitChooses ? 900 : image;
  }
  platform::Size ImageSize(int) override { return {48, 48}; }
  int AddImage(int x, int y, int, int, int image) override {
    return Control("image " + std::to_string(image), x, y);
  }
  int AddText(int x, int y, int, int, std::string_view text, platform::TextAlign) override {
    return Control("text '" + std::string(text) + "'", x, y);
  }
  int AddCheckBox(int x, int y, int, int, std::string_view text) override {
    return Control("check '" + std::string(text) + "'", x, y);
  }
  int AddButton(int x, int y, int, int, std::string_view text, bool isDefault) override {
    return Control(std::string(isDefault ? "default " : "") + "button '" + std::string(text) +
                       "'",
                   x, y);
  }
  int AddTextBox(int x, int y, int, int) override { return Control("textbox", x, y); }
  void SetControlFont(int control, int font) override {
    Log("font of " + std::to_string(control) + " " + std::to_string(font));
  }
  void SetControlText(int control, std::string_view text) override {
    Log("text of " + std::to_string(control) + " '" + std::string(text) + "'");
  }
  void SetFocus(int control) override { focused = control; }
  int FocusedControl() override { return focused; }
  bool IsChecked(int) override { return false; }
  platform::Event WaitEvent() override {
    if (events.empty()) {
      Log("wait starved");
      return {platform::EventKind::CloseRequest, 0, 0};
    }
    return Take();
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

 private:
  void Log(std::string line) { log.push_back(std::move(line)); }
  int Control(const std::string& what, int x, int y) {
    const int number = m_nextControl++;
    Log("control " + std::to_string(number) + " " + what + " at " + std::to_string(x) + "," +
        std::to_string(y));
    return number;
  }
  platform::Event Take() {
    const platform::Event event = events.front();
    events.pop_front();
    return event;
  }
  int m_nextWindow = 1000;
  int m_nextControl = 100;
};

}  // namespace fakes
