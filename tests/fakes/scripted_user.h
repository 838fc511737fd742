#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "fakes/fake_toolkit.h"

namespace fakes {

// The number of the control whose log entry contains `what`, or -1.
inline int ControlNumber(const std::vector<std::string>& log, const std::string& what) {
  for (const std::string& line : log) {
    if (line.rfind("control ", 0) == 0 && line.find(what) != std::string::npos) {
      return std::stoi(line.substr(8));
    }
  }
  return -1;
}

// Plays a user's actions into the fake, one event's worth before each wait, in a dialog
// (window `dialog`) owned by window 0. Tab moves the focus without an event, as the real
// toolkit does.
struct ScriptedUser {
  static constexpr int kOwner = 0;
  FakeToolkit& toolkit;
  std::deque<std::string> actions;
  int dialog = -1;

  void Install() {
    toolkit.onWait = [this] {
      while (!actions.empty() && toolkit.events.empty()) Act(Take());
    };
  }
  std::string Take() {
    std::string action = actions.front();
    actions.pop_front();
    return action;
  }
  void Act(const std::string& action) {
    if (action == "tab") return toolkit.PressTab();
    if (action == "shift+tab") return toolkit.PressTab(true);
    if (action == "return") return Push({platform::EventKind::Shortcut, dialog, 1});
    if (action == "escape") return Push({platform::EventKind::Shortcut, dialog, 0});
    if (action == "space") {
      if (toolkit.focused != platform::kNoControl) toolkit.Activate(dialog, toolkit.focused);
      return;
    }
    if (action == "close dialog") return Push({platform::EventKind::CloseRequest, dialog, 0});
    if (action == "close owner") return Push({platform::EventKind::CloseRequest, kOwner, 0});
    if (action == "timer") return Push({platform::EventKind::Timer, kOwner, 3});
    if (action == "escape in owner") {
      toolkit.focused = platform::kNoControl;  // the owner is active and has no controls
      return Push({platform::EventKind::Shortcut, kOwner, 1});
    }
    if (action.rfind("click ", 0) == 0) {
      const int control = ControlNumber(toolkit.log, action.substr(6));
      ASSERT_GE(control, 0) << action;
      return toolkit.Activate(dialog, control);
    }
    FAIL() << "unknown action " << action;
  }
  void Push(const platform::Event& event) { toolkit.events.push_back(event); }
};

}  // namespace fakes
