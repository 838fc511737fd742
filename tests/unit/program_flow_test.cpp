#include "app/program_flow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "fakes/fake_device.h"
#include "fakes/fake_toolkit.h"
#include "fakes/scripted_clock.h"

namespace {

using platform::Event;
using platform::EventKind;

struct FlowFixture : ::testing::Test {
  fakes::FakeToolkit toolkit;
  fakes::FakeDevice device;
  fakes::ScriptedClock clock{5000};
  std::ostringstream out;
  std::ostringstream err;
  app::Platform platform{toolkit, device, clock, out, err, 42};
  int frames = 0;

  void SetUp() override {
    device.onPresent = [this] {
      clock.now += 10;
      ++frames;
    };
  }
  // Escape arrives with the poll after frame `frame`.
  void EscapeAfterFrame(int frame) {
    toolkit.onPoll = [this, frame] {
      if (frames == frame) toolkit.events.push_back({EventKind::Shortcut, 0, 1});
    };
  }
};

TEST_F(FlowFixture, StartsTheBenchmarkWindowAndEscapeEndsTheRunWithoutResult) {
  EscapeAfterFrame(25);
  EXPECT_EQ(app::RunProgram(platform, "1"), 0);  // 100 frames of 10 ms per run
  EXPECT_EQ(toolkit.log, (std::vector<std::string>{
                             "font 4 Arial 9",
                             "font 5 Arial 10 bold",
                             "default font 4",
                             "open 0 512x512 'Grafikkarten-Benchmark | Tessolar' titled owner -1",
                             "shortcut 0 Escape 1",
                         }));
  EXPECT_EQ(device.log[0], "surface 0 0,0 512x512");
  EXPECT_EQ(device.log[1], "texture 1 1024x1024");
  EXPECT_EQ(frames, 25);
  EXPECT_EQ(toolkit.titles.size(), 25u);
  EXPECT_EQ(out.str(), "OpenGL: FakeGL; 1.0; 512x512\n") << "an interrupted run has no result";
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(toolkit.errors, 0);
}

// Answers each results dialog with the next of `answers`: Shift+Tab and Return for
// "Wiederholen", Return alone for "Beenden" (which has the focus).
struct DialogAnswers {
  fakes::FakeToolkit& toolkit;
  std::vector<bool> answers;  // true: repeat
  std::size_t shown = 0;
  void Install() {
    toolkit.onWait = [this] {
      if (!toolkit.events.empty() || shown == answers.size()) return;
      if (answers[shown++]) toolkit.PressTab(true);
      toolkit.events.push_back({EventKind::Shortcut, 999 + static_cast<int>(shown), 1});
    };
  }
};

TEST_F(FlowFixture, RepeatRunsInTheSameWindowAndShowsNewestResultFirst) {
  DialogAnswers user{toolkit, {true, true, false}};
  user.Install();
  EXPECT_EQ(app::RunProgram(platform, "1"), 0);
  EXPECT_EQ(user.shown, 3u);
  EXPECT_EQ(frames, 300);

  // The window, surface and texture are made once; three dialogs over window 0.
  EXPECT_EQ(std::count(device.log.begin(), device.log.end(), "surface 0 0,0 512x512"), 1);
  EXPECT_EQ(std::count(device.log.begin(), device.log.end(), "texture 1 1024x1024"), 1);
  const std::vector<std::string> expectedTexts = {
      "text of 103 ' Lauf 1 : 100,00 ( \xB1 0,00 )'",
      "text of 109 ' Lauf 2 : 100,00 ( \xB1 0,00 )\n Lauf 1 : 100,00 ( \xB1 0,00 )'",
      "text of 115 ' Lauf 3 : 100,00 ( \xB1 0,00 )\n Lauf 2 : 100,00 ( \xB1 0,00 )\n"
      " Lauf 1 : 100,00 ( \xB1 0,00 )'",
  };
  std::vector<std::string> texts;
  std::vector<std::string> opened;
  for (const std::string& line : toolkit.log) {
    if (line.rfind("text of", 0) == 0) texts.push_back(line);
    if (line.rfind("open", 0) == 0) opened.push_back(line);
  }
  EXPECT_EQ(texts, expectedTexts);
  EXPECT_EQ(opened.size(), 4u);
  for (std::size_t i = 1; i < opened.size(); ++i) {
    EXPECT_EQ(opened[i], "open " + std::to_string(999 + i) +
                             " 400x170 'Grafikkarten-Benchmark | Tessolar' titled owner 0");
  }
  EXPECT_EQ(toolkit.log.back(), "release image 900") << "the last dialog closed";

  // Each finished run's line on stdout, as UTF-8, in the order the runs finished.
  EXPECT_EQ(out.str(),
            "OpenGL: FakeGL; 1.0; 512x512\n"
            " Lauf 1 : 100,00 ( \xC2\xB1 0,00 )\n"
            " Lauf 2 : 100,00 ( \xC2\xB1 0,00 )\n"
            " Lauf 3 : 100,00 ( \xC2\xB1 0,00 )\n");
}

TEST_F(FlowFixture, CloseRequestDuringALaterRunEndsWithZero) {
  DialogAnswers user{toolkit, {true}};
  user.Install();
  toolkit.onPoll = [this] {
    if (frames == 130) toolkit.events.push_back({EventKind::CloseRequest, 0, 0});
  };
  EXPECT_EQ(app::RunProgram(platform, "1"), 0);  // 100 frames per run: stopped in run 2
  EXPECT_EQ(frames, 130);
  EXPECT_EQ(toolkit.titles[99], "Grafikkarten-Benchmark | Tessolar - 100 %");
  EXPECT_EQ(toolkit.titles[100], "Grafikkarten-Benchmark | Tessolar - 1 %");  // 10 of 1000 ms
  EXPECT_EQ(out.str(), "OpenGL: FakeGL; 1.0; 512x512\n Lauf 1 : 100,00 ( \xC2\xB1 0,00 )\n");
}

TEST_F(FlowFixture, RunTooShortForASampleGivesNaN) {
  DialogAnswers user{toolkit, {false}};
  user.Install();
  EXPECT_EQ(app::RunProgram(platform, "0"), 0);  // a run of one frame
  EXPECT_EQ(frames, 1);
  EXPECT_NE(out.str().find("\n Lauf 1 : NaN ( \xC2\xB1 NaN )\n"), std::string::npos) << out.str();
}

TEST_F(FlowFixture, SurfaceTakesTheClientSizeTheWindowGot) {
  toolkit.clientSize = {300, 200};  // a screen too small for 512 x 512
  EscapeAfterFrame(1);
  EXPECT_EQ(app::RunProgram(platform, nullptr), 0);
  EXPECT_EQ(device.log[0], "surface 0 0,0 300x200");
  EXPECT_EQ(out.str(), "OpenGL: FakeGL; 1.0; 300x200\n");
}

TEST_F(FlowFixture, NoSurfaceOrTextureIsAFailureNotAResult) {
  struct Row {
    const char* name;
    bool surface;
    bool texture;
  };
  for (const Row row : {Row{"no surface", false, true}, Row{"no texture", true, false}}) {
    SCOPED_TRACE(row.name);
    fakes::FakeToolkit failingToolkit;
    fakes::FakeDevice failingDevice;
    failingDevice.surfaceWorks = row.surface;
    failingDevice.textureWorks = row.texture;
    std::ostringstream failOut;
    std::ostringstream failErr;
    app::Platform failing{failingToolkit, failingDevice, clock, failOut, failErr, 1};
    EXPECT_EQ(app::RunProgram(failing, "1"), app::kExitNoGraphics);
    EXPECT_EQ(failingToolkit.errors, 1);
    EXPECT_EQ(failingDevice.presents, 0);
    EXPECT_TRUE(failingToolkit.titles.empty());
    const std::string said = failErr.str();
    EXPECT_NE(said.find("kann nicht starten"), std::string::npos);
    if (!row.surface) {  // shown as code page 1252, written to stderr as UTF-8
      EXPECT_NE(failingToolkit.log.back().find("Zeichenfl\xE4" "che"), std::string::npos);
      EXPECT_NE(said.find("Zeichenfl\xC3\xA4" "che"), std::string::npos);
    }
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
  }
}

TEST_F(FlowFixture, SoftwareRendererIsWarnedAbout) {
  device.renderer = {"llvmpipe (LLVM 15)", "4.5", false};
  EscapeAfterFrame(1);
  EXPECT_EQ(app::RunProgram(platform, "1"), 0);
  EXPECT_NE(err.str().find("Software"), std::string::npos);
}

}  // namespace
