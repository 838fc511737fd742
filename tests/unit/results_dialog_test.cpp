#include "ui/results_dialog.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "fakes/fake_toolkit.h"
#include "fakes/scripted_user.h"

namespace {

using platform::Event;
using platform::EventKind;

constexpr int kBenchWindow = 0;
constexpr char kTwoRuns[] = " Lauf 2 : 1,00 ( \xB1 0,00 )\n Lauf 1 : 2,00 ( \xB1 0,50 )";

using fakes::ScriptedUser;

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
      {"close request for the benchmark window", {"close owner"}, 0},
      {"the benchmark window's Escape does nothing",
       {"escape in owner", "click 'Wiederholen'"}, 1},
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
