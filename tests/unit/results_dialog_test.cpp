#include "ui/results_dialog.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "fakes/fake_toolkit.h"

namespace {

using platform::Event;
using platform::EventKind;

constexpr int kBenchWindow = 0;
constexpr char kTwoRuns[] = " Lauf 2 : 1,00 ( \xB1 0,00 )\n Lauf 1 : 2,00 ( \xB1 0,50 )";

// The number of the control whose log entry contains `what`, or -1.
int ControlNumber(const std::vector<std::string>& log, const std::string& what) {
  for (const std::string& line : log) {
    if (line.rfind("control ", 0) == 0 && line.find(what) != std::string::npos) {
      return std::stoi(line.substr(8));
    }
  }
  return -1;
}

// Plays a user's actions into the fake, one event's worth before each wait. Tab moves the
// focus without an event, as the real toolkit does.
struct ScriptedUser {
  fakes::FakeToolkit& toolkit;
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
    const auto& log = toolkit.log;
    if (action == "tab") return toolkit.PressTab();
    if (action == "shift+tab") return toolkit.PressTab(true);
    if (action == "return") return Push({EventKind::Shortcut, dialog, 1});
    if (action == "escape") return Push({EventKind::Shortcut, dialog, 0});
    if (action == "close dialog") return Push({EventKind::CloseRequest, dialog, 0});
    if (action == "close bench window") return Push({EventKind::CloseRequest, kBenchWindow, 0});
    if (action == "timer") return Push({EventKind::Timer, kBenchWindow, 3});
    if (action == "escape in bench window") {
      toolkit.focused = platform::kNoControl;  // the benchmark window is active
      return Push({EventKind::Shortcut, kBenchWindow, 1});
    }
    if (action.rfind("click ", 0) == 0) {
      const int control = ControlNumber(log, action.substr(6));
      ASSERT_GE(control, 0) << action;
      return Push({EventKind::ControlActivated, dialog, control});
    }
    FAIL() << "unknown action " << action;
  }
  void Push(const Event& event) { toolkit.events.push_back(event); }
};

TEST(ResultsDialog, BuildsTheDialogOverItsOwnerAndClosesIt) {
  fakes::FakeToolkit toolkit;
  toolkit.events.push_back({EventKind::Shortcut, 1000, 0});
  EXPECT_EQ(ui::ShowResultsDialog(toolkit, kBenchWindow, kTwoRuns), 0);
  EXPECT_EQ(toolkit.log, (std::vector<std::string>{
      "open 1000 400x170 'Grafikkarten-Benchmark | Tessolar' titled owner 0",
      "image results_icon",
      "control 100 image 900 at 20,50 32x32",
      "control 101 left text 'Ergebnisse' at 90,20 290x25",
      "font of 101 5",
      "control 102 right text 'Angaben in FPS' at 200,20 180x25",
      "control 103 textbox at 90,45 290x70",
      std::string("text of 103 '") + kTwoRuns + "'",
      "control 104 button 'Wiederholen' at 100,130 95x24",
      "control 105 default button 'Beenden' at 205,130 95x24",
      "shortcut 1000 Return 1",
      "shortcut 1000 Escape 0",
      "close 1000",
      "release image 900",
  }));
}

TEST(ResultsDialog, UserActionsTable) {
  struct Row {
    const char* name;
    std::vector<std::string> actions;
    int result;
  };
  const Row rows[] = {
      {"Return at once: Beenden has the focus", {"return"}, 0},
      {"Shift+Tab to Wiederholen, Return", {"shift+tab", "return"}, 1},
      {"Return in the text box does nothing", {"tab", "return", "escape"}, 0},
      {"Shift+Tab twice reaches the text box", {"shift+tab", "shift+tab", "return", "escape"}, 0},
      {"Tab wraps round to Wiederholen", {"tab", "tab", "return"}, 1},
      {"three Tabs come back to Beenden", {"tab", "tab", "tab", "return"}, 0},
      {"Escape", {"escape"}, 0},
      {"Escape with Wiederholen focused", {"shift+tab", "escape"}, 0},
      {"close box of the dialog", {"close dialog"}, 0},
      {"close request for the benchmark window", {"close bench window"}, 0},
      {"the benchmark window's Escape does nothing",
       {"escape in bench window", "click 'Wiederholen'"}, 1},
      {"click Wiederholen", {"click 'Wiederholen'"}, 1},
      {"click Beenden", {"click 'Beenden'"}, 0},
      {"clicks elsewhere and timers are ignored",
       {"click textbox", "click 'Ergebnisse'", "click image", "timer", "click 'Wiederholen'"},
       1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fakes::FakeToolkit toolkit;
    ScriptedUser user{toolkit, {row.actions.begin(), row.actions.end()}, 1000};
    user.Install();
    EXPECT_EQ(ui::ShowResultsDialog(toolkit, kBenchWindow, kTwoRuns), row.result);
    EXPECT_TRUE(user.actions.empty()) << "the dialog returned before the last action";
    EXPECT_TRUE(toolkit.events.empty());
    EXPECT_EQ(toolkit.log.back(), "release image 900");
    EXPECT_EQ(toolkit.log[toolkit.log.size() - 2], "close 1000");
  }
}

TEST(ResultsDialog, ShowsACopyWhateverTheCallerDoesWithItsText) {
  fakes::FakeToolkit toolkit;
  std::string results = " Lauf 1 : 9,78 ( \xB1 0,41 )";
  toolkit.onWait = [&] {
    results = "changed";
    toolkit.events.push_back({EventKind::Shortcut, 1000, 0});
  };
  ui::ShowResultsDialog(toolkit, kBenchWindow, results);
  EXPECT_EQ(toolkit.log[7], "text of 103 ' Lauf 1 : 9,78 ( \xB1 0,41 )'");
}

}  // namespace
