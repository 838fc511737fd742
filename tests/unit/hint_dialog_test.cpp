#include "ui/hint_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/fake_toolkit.h"
#include "fakes/scripted_user.h"

namespace {

using fakes::ScriptedUser;

constexpr int kSplashWindow = 0;
constexpr std::int32_t kNotWritten = -99;

// Settings open on no file: writes stay in memory, where the test reads them back.
app::Settings InMemorySettings() {
  app::Settings settings;
  app::OpenSettings(settings, "");
  return settings;
}

TEST(HintDialog, BuildsTheDialogOverTheSplashWindowAndLeavesItOpen) {
  fakes::FakeToolkit toolkit;
  app::Settings settings = InMemorySettings();
  toolkit.events.push_back({platform::EventKind::Shortcut, 1000, 1});
  EXPECT_EQ(ui::ShowHintDialog(toolkit, kSplashWindow, settings), 1);
  EXPECT_EQ(toolkit.log, (std::vector<std::string>{
      "open 1000 400x150 'Grafikkarten-Benchmark | Tessolar' titled owner 0",
      "image hint_icon",
      "control 100 image 900 at 20,20 32x32",
      "control 101 left text 'Um ein einwandfreies Benchmark-Ergebnis zu erreichen, ist es "
      "vorteilhaft, wenn alle anderen Anwendungen geschlossen sind.' at 90,20 290x50",
      "control 102 check 'Diese Meldung nicht mehr anzeigen.' at 90,75 290x20",
      "control 103 default button 'Akzeptieren' at 100,110 95x24",
      "control 104 button 'Abbrechen' at 205,110 95x24",
      "shortcut 1000 Return 1",
      "shortcut 1000 Escape 0",
      "release image 900",
  })) << "no close: the dialog goes with its owner";
  EXPECT_EQ(toolkit.focused, 103);
  EXPECT_FALSE(settings.modified);
}

TEST(HintDialog, UserActionsTable) {
  struct Row {
    const char* name;
    std::vector<std::string> actions;
    int result;
    std::int32_t hideTip;  // as written by the dialog, kNotWritten when never
  };
  const std::string box = "click check";
  const Row rows[] = {
      {"Return at once: Akzeptieren has the focus", {"return"}, 1, kNotWritten},
      {"Tab to Abbrechen, Return", {"tab", "return"}, 0, kNotWritten},
      {"Return on the check box does nothing", {"shift+tab", "return", "escape"}, 0,
       kNotWritten},
      {"Tab twice reaches the check box", {"tab", "tab", "return", "click 'Akzeptieren'"}, 1,
       kNotWritten},
      {"three Tabs come back to Akzeptieren", {"tab", "tab", "tab", "return"}, 1, kNotWritten},
      {"Space on Akzeptieren", {"space"}, 1, kNotWritten},
      {"Space on Abbrechen", {"tab", "space"}, 0, kNotWritten},
      {"Space ticks the box, Escape keeps the tick", {"shift+tab", "space", "escape"}, 0, 1},
      {"tick, then Abbrechen", {box, "click 'Abbrechen'"}, 0, 1},
      {"tick and untick: the last write wins", {box, box, "click 'Akzeptieren'"}, 1, 0},
      {"three toggles", {box, box, box, "return"}, 1, 1},
      {"Escape", {"escape"}, 0, kNotWritten},
      {"close box of the dialog", {"close dialog"}, 0, kNotWritten},
      {"close request for the splash window", {"close owner"}, 0, kNotWritten},
      {"splash ticks and clicks on picture and text change nothing",
       {"timer", "click image", "click text", "timer", "return"}, 1, kNotWritten},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fakes::FakeToolkit toolkit;
    app::Settings settings = InMemorySettings();
    ScriptedUser user{toolkit, {row.actions.begin(), row.actions.end()}, 1000};
    user.Install();
    EXPECT_EQ(ui::ShowHintDialog(toolkit, kSplashWindow, settings), row.result);
    EXPECT_TRUE(user.actions.empty()) << "the dialog returned before the last action";
    EXPECT_TRUE(toolkit.events.empty());
    EXPECT_EQ(app::ReadSettingInt(settings, "HideTip", kNotWritten), row.hideTip);
    EXPECT_EQ(std::count_if(toolkit.log.begin(), toolkit.log.end(),
                            [](const std::string& l) { return l.rfind("close", 0) == 0; }),
              0);
  }
}

}  // namespace
