#include "app/program_flow.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "fakes/fake_device.h"
#include "fakes/fake_toolkit.h"
#include "fakes/scripted_clock.h"
#include "fakes/scripted_user.h"

namespace {

using platform::Event;
using platform::EventKind;

namespace fs = std::filesystem;

// A private XDG_CONFIG_HOME for one test, removed afterwards.
class ConfigHome {
 public:
  ConfigHome() {
    std::string pattern = (fs::temp_directory_path() / "flow-test-XXXXXX").string();
    m_root = mkdtemp(pattern.data());
    if (const char* old = getenv("XDG_CONFIG_HOME")) m_old = old;
    setenv("XDG_CONFIG_HOME", m_root.c_str(), 1);
  }
  ~ConfigHome() {
    if (m_old) {
      setenv("XDG_CONFIG_HOME", m_old->c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
    fs::remove_all(m_root);
  }
  fs::path Folder() const { return m_root / "Zendravo"; }
  fs::path File() const { return Folder() / "Kerbo.ini"; }
  void Write(const std::string& bytes) const {
    fs::create_directories(Folder());
    std::ofstream(File(), std::ios::binary) << bytes;
  }
  // The file's bytes, or nullopt when there is no file.
  std::optional<std::string> Read() const {
    std::ifstream in(File(), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  fs::path m_root;
  std::optional<std::string> m_old;
};

struct FlowFixture : ::testing::Test {
  ConfigHome config;  // the hint is switched off unless a test says otherwise
  fakes::FakeToolkit toolkit;
  fakes::FakeDevice device;
  fakes::ScriptedClock clock{5000};
  std::ostringstream out;
  std::ostringstream err;
  app::Platform platform{toolkit, device, clock, out, err, 42};
  int frames = 0;

  void SetUp() override {
    config.Write("HideTip = 1\r\n");
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
                             "image splash",
                             "open 0 400x225 'Grafikkarten-Benchmark | Tessolar' popup owner -1",
                             "control 100 image 2 at 0,0 400x225",
                             "timer 0 3 2000",
                             "tick 0 3",
                             "close 0",
                             "open 0 512x512 'Grafikkarten-Benchmark | Tessolar' titled owner -1",
                             "shortcut 0 Escape 1",
                         }));
  EXPECT_EQ(config.Read(), "HideTip = 1\r\n") << "read, never written";
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
      const bool dialogOpen = toolkit.CurrentWindow() >= 1000;
      if (!dialogOpen || !toolkit.events.empty() || shown == answers.size()) return;
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
      "text of 104 ' Lauf 1 : 100,00 ( \xB1 0,00 )'",
      "text of 110 ' Lauf 2 : 100,00 ( \xB1 0,00 )\n Lauf 1 : 100,00 ( \xB1 0,00 )'",
      "text of 116 ' Lauf 3 : 100,00 ( \xB1 0,00 )\n Lauf 2 : 100,00 ( \xB1 0,00 )\n"
      " Lauf 1 : 100,00 ( \xB1 0,00 )'",
  };
  std::vector<std::string> texts;
  std::vector<std::string> opened;
  for (const std::string& line : toolkit.log) {
    if (line.rfind("text of", 0) == 0) texts.push_back(line);
    if (line.rfind("open", 0) == 0) opened.push_back(line);
  }
  EXPECT_EQ(texts, expectedTexts);
  EXPECT_EQ(opened.size(), 5u);  // the splash, the benchmark window, three dialogs
  for (std::size_t i = 2; i < opened.size(); ++i) {
    EXPECT_EQ(opened[i], "open " + std::to_string(998 + i) +
                             " 400x170 'Grafikkarten-Benchmark | Tessolar' titled owner 0");
  }
  EXPECT_EQ(toolkit.log.back(), "release image 902") << "the last dialog closed";

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

// The hint gate between the splash and the benchmark window, with the settings file's
// bytes before and after. The user acts only once the hint dialog is open.
TEST_F(FlowFixture, HintGateTable) {
  constexpr const char* kNoFile = nullptr;
  struct Row {
    const char* name;
    const char* before;  // the settings file, or kNoFile
    std::vector<std::string> actions;
    bool hintShown;
    bool benchmarkRuns;
    const char* after;
  };
  const std::string tick = "click check";
  const Row rows[] = {
      {"first start, Return accepts, nothing written", kNoFile, {"return"}, true, true, kNoFile},
      {"first start, Escape ends", kNoFile, {"escape"}, true, false, kNoFile},
      {"tick, Akzeptieren", kNoFile, {tick, "click 'Akzeptieren'"}, true, true,
       "HideTip = 1\r\n"},
      {"tick with Space, Abbrechen: ends, the tick is kept", kNoFile,
       {"shift+tab", "space", "click 'Abbrechen'"}, true, false, "HideTip = 1\r\n"},
      {"tick, close request for the splash window", kNoFile, {tick, "close owner"}, true,
       false, "HideTip = 1\r\n"},
      {"tick and untick, Abbrechen", kNoFile, {tick, tick, "tab", "return"}, true, false,
       "HideTip = 0\r\n"},
      {"HideTip 0 shows the hint", "HideTip = 0\r\n", {"return"}, true, true,
       "HideTip = 0\r\n"},
      {"lower-case key, ticked", "hidetip=0", {tick, "return"}, true, true, "HideTip = 1\r\n"},
      {"HideTip -1 skips the hint", "HideTip = -1\r\n", {}, false, true, "HideTip = -1\r\n"},
      {"HideTip 7abc skips the hint", "  HIDETIP\t=7abc\n\n", {}, false, true,
       "  HIDETIP\t=7abc\n\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ConfigHome home;
    if (row.before != kNoFile) home.Write(row.before);
    fakes::FakeToolkit gate;
    fakes::ScriptedUser user{gate, {row.actions.begin(), row.actions.end()}, 1000};
    gate.onWait = [&] {
      while (gate.CurrentWindow() >= 1000 && !user.actions.empty() && gate.events.empty()) {
        user.Act(user.Take());
      }
    };
    EscapeAfterFrame(1);
    gate.onPoll = toolkit.onPoll = [&] {
      if (frames > 0) gate.events.push_back({EventKind::Shortcut, 0, 1});
    };
    frames = 0;
    app::Platform started{gate, device, clock, out, err, 7};
    EXPECT_EQ(app::RunProgram(started, "1"), 0);

    const auto& log = gate.log;
    const auto hint = std::find(log.begin(), log.end(),
                                "open 1000 400x150 'Grafikkarten-Benchmark | Tessolar' titled "
                                "owner 0");
    const auto bench = std::find(log.begin(), log.end(),
                                 "open 0 512x512 'Grafikkarten-Benchmark | Tessolar' titled "
                                 "owner -1");
    EXPECT_EQ(hint != log.end(), row.hintShown);
    EXPECT_EQ(bench != log.end(), row.benchmarkRuns);
    EXPECT_EQ(frames > 0, row.benchmarkRuns);
    if (row.benchmarkRuns) {
      // The splash window, and the hint dialog it owns, go before the benchmark window comes.
      EXPECT_EQ(*std::prev(bench), "close 0");
      if (row.hintShown) {
        EXPECT_LT(hint, bench);
      }
    } else {
      EXPECT_EQ(std::find(log.begin(), log.end(), "close 0"), log.end());
    }
    EXPECT_TRUE(user.actions.empty());
    EXPECT_TRUE(fs::is_directory(home.Folder()));
    EXPECT_EQ(home.Read(), row.after == kNoFile ? std::nullopt
                                                : std::optional<std::string>(row.after));
  }
}

TEST_F(FlowFixture, ATickBeforeCancellingSkipsTheHintAtTheNextStart) {
  ConfigHome home;
  for (const bool firstStart : {true, false}) {
    SCOPED_TRACE(firstStart ? "first start" : "second start");
    fakes::FakeToolkit again;
    fakes::ScriptedUser user{again, {"shift+tab", "space", "escape"}, 1000};
    again.onWait = [&] {
      if (again.CurrentWindow() >= 1000 && again.events.empty()) user.Act(user.Take());
    };
    again.onPoll = [&] { again.events.push_back({EventKind::Shortcut, 0, 1}); };
    app::Platform started{again, device, clock, out, err, 7};
    EXPECT_EQ(app::RunProgram(started, "1"), 0);
    EXPECT_EQ(again.log[3], "image splash");
    EXPECT_EQ(again.log[8], firstStart
                                ? "open 1000 400x150 'Grafikkarten-Benchmark | Tessolar' titled owner 0"
                                : "close 0");
  }
  EXPECT_EQ(home.Read(), "HideTip = 1\r\n");
}

}  // namespace
