#include "bench/run_loop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "fakes/fake_device.h"
#include "fakes/fake_toolkit.h"
#include "fakes/scripted_clock.h"

namespace {

using platform::Event;
using platform::EventKind;

TEST(ReadRunDuration, FirstArgumentTable) {
  struct Row {
    const char* argument;
    std::int32_t expected;
  };
  const Row rows[] = {
      {nullptr, 10000},          {"", 10000},
      {"5", 5000},               {"2.5", 2000},
      {"2,5", 2000},             {"$A", 10000},
      {"$a", 10000},             {"%11", 3000},
      {" 7", 7000},              {"\t 7", 7000},
      {"12abc", 12000},          {"1e3", 1000},
      {"0x10", 0},               {"0", 0},
      {"abc", 0},                {"- 7", 0},
      {"-", 0},                  {"+4", 4000},
      {"-1", -1000},             {"2147483", 2147483000},
      {"2147484", -2147483296},  {"3000000", -1294967296},
      {"5000000", 705032704},    {"%12", 1000},  // the 2 is no binary digit
      {"$FFFFFFFFFFFFFFFF", -1000},  // 64-bit value -1
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.argument == nullptr ? "(none)" : row.argument);
    EXPECT_EQ(bench::ReadRunDuration(row.argument), row.expected);
  }
}

TEST(ReadRunDuration, HugeNumbersWrapWithoutFailing) {
  // 10^23 mod 2^64, times 1000, low 32 bits: the reading wraps and never fails.
  const std::uint64_t wrapped = 200376420520689664ull;  // 10^23 mod 2^64
  EXPECT_EQ(static_cast<std::uint64_t>(bench::ReadLenientInteger("100000000000000000000000")),
            wrapped);
  EXPECT_EQ(bench::ReadRunDuration("100000000000000000000000"),
            static_cast<std::int32_t>(static_cast<std::uint32_t>(wrapped * 1000u)));
}

TEST(ProgressTitle, PercentTable) {
  struct Row {
    std::int32_t elapsed;
    std::int32_t duration;
    const char* suffix;
  };
  const Row rows[] = {
      {0, 10000, "0 %"},      {374, 1000, "37 %"},    {125, 1000, "12 %"},
      {135, 1000, "14 %"},    {995, 1000, "100 %"},   {1000, 1000, "100 %"},
      {1500, 1000, "100 %"},  {30, -1000, "-3 %"},    {0, -1000, "0 %"},
      {5, 0, "100 %"},        {0, 0, "0 %"},          {2147483647, 1, "100 %"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.elapsed) + " of " + std::to_string(row.duration));
    EXPECT_EQ(bench::ProgressTitle(bench::ProgressPercent(row.elapsed, row.duration)),
              std::string("Grafikkarten-Benchmark | Tessolar - ") + row.suffix);
  }
}

TEST(ProgressTitle, NonFiniteAndExtremeValues) {
  EXPECT_EQ(bench::ProgressInteger(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(bench::ProgressInteger(-std::numeric_limits<float>::infinity()),
            std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(bench::ProgressInteger(-2.5f), -2);
  // Percent is rounded as a 32-bit float: 1/3 of the way is 33.333332, not 33.33...
  EXPECT_EQ(bench::ProgressPercent(1, 3), 100.0f / 3.0f);
}

// A run against a scripted clock: every frame takes frameMs[i] (the last entry repeats).
struct RunFixture : ::testing::Test {
  fakes::FakeDevice device;
  fakes::FakeToolkit toolkit;
  fakes::ScriptedClock clock{1000};
  bench::TestScene scene{device};
  bench::RunState state;
  std::vector<std::uint32_t> frameMs{10};
  int frames = 0;

  void SetUp() override {
    scene.built = true;
    scene.QuadFiltering = true;
    device.onPresent = [this] {
      const std::size_t i = std::min<std::size_t>(static_cast<std::size_t>(frames),
                                                  frameMs.size() - 1);
      clock.now += frameMs[i];
      ++frames;
    };
  }
  int Run(std::int32_t durationMs) {
    state.RunDurationMs = durationMs;
    return bench::PerformRun(state, scene, toolkit, clock, 0);
  }
};

TEST_F(RunFixture, SamplesEveryTwentyFramesFirstBlockFromRunStart) {
  frameMs = {50, 10};  // the first frame is slow: its time belongs to the first block
  EXPECT_EQ(Run(630), 1);  // 50 + 58 * 10 = 630 ms after 59 frames
  EXPECT_EQ(frames, 59);
  ASSERT_EQ(state.FrameSamples.size(), 2u);
  EXPECT_EQ(state.FrameSamples[0], 240.0f / 20.0f);  // 50 + 19 * 10
  EXPECT_EQ(state.FrameSamples[1], 10.0f);
  EXPECT_EQ(state.RunNumber, 1);
  EXPECT_EQ(toolkit.titles.size(), 59u);
  EXPECT_EQ(toolkit.titles.back(), "Grafikkarten-Benchmark | Tessolar - 100 %");
}

TEST_F(RunFixture, RunAcrossClockWrapLastsItsDuration) {
  clock.now = 0xFFFFFF00u;  // wraps 256 ms into the run
  frameMs = {7};
  EXPECT_EQ(Run(1000), 1);
  EXPECT_EQ(frames, 143);  // first frame ending at or after 1000 ms: 143 * 7 = 1001
  ASSERT_EQ(state.FrameSamples.size(), 7u);
  for (const float sample : state.FrameSamples) EXPECT_EQ(sample, 7.0f);
  EXPECT_EQ(toolkit.titles[35], "Grafikkarten-Benchmark | Tessolar - 25 %");  // 252 ms
  EXPECT_EQ(toolkit.titles[37], "Grafikkarten-Benchmark | Tessolar - 27 %");  // 266 ms
}

TEST_F(RunFixture, DurationOfZeroOrLessDrawsExactlyOneFrame) {
  for (const std::int32_t duration : {0, -1000, std::numeric_limits<std::int32_t>::min()}) {
    SCOPED_TRACE(duration);
    frames = 0;
    EXPECT_EQ(Run(duration), 1);
    EXPECT_EQ(frames, 1);
    EXPECT_TRUE(state.FrameSamples.empty());
  }
  EXPECT_EQ(state.RunNumber, 3);
}

TEST_F(RunFixture, StopRequestsEndTheRunAfterTheCurrentFrame) {
  struct Row {
    const char* name;
    Event event;
    int result;
  };
  const Row rows[] = {
      {"close request", {EventKind::CloseRequest, 0, 0}, 0},
      {"Escape shortcut", {EventKind::Shortcut, 0, 1}, 0},
      {"other shortcut", {EventKind::Shortcut, 0, 0}, 1},
      {"timer", {EventKind::Timer, 0, 3}, 1},
      {"control", {EventKind::ControlActivated, 0, 101}, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    frames = 0;
    int polls = 0;
    toolkit.onPoll = [&] {
      if (++polls == 5) toolkit.events.push_back(row.event);
    };
    EXPECT_EQ(Run(1000), row.result);
    EXPECT_EQ(frames, row.result == 0 ? 5 : 100);
  }
}

TEST_F(RunFixture, EachRunStartsWithEmptySamplesAndTheNextNumber) {
  EXPECT_EQ(Run(400), 1);
  EXPECT_EQ(state.FrameSamples.size(), 2u);
  EXPECT_EQ(Run(100), 1);
  EXPECT_TRUE(state.FrameSamples.empty());  // 10 frames: no complete block
  EXPECT_EQ(state.RunNumber, 2);
}

TEST(DrawTestFrame, ClearsDrawsHundredQuadsAndPresents) {
  fakes::FakeDevice device;
  bench::TestScene scene{device};
  bench::NoiseSource noise(7);
  ASSERT_TRUE(bench::BuildTestScene(scene, noise));
  device.log.clear();
  bench::DrawTestFrame(scene);
  std::vector<std::string> expected{"clear 0", "begin bilinear"};
  for (int i = 0; i < 100; ++i) expected.emplace_back("quad 1 0,0 512x512 255");
  expected.emplace_back("end");
  expected.emplace_back("present");
  EXPECT_EQ(device.log, expected);

  device.passWorks = false;  // the quads are dropped, the black frame still presented
  device.log.clear();
  bench::DrawTestFrame(scene);
  EXPECT_EQ(device.log, (std::vector<std::string>{"clear 0", "begin bilinear", "present"}));
}

TEST(NoiseTexture, TexelFromRandomColour) {
  EXPECT_EQ(bench::NoiseTexel(0u), 0xFF000000u);
  EXPECT_EQ(bench::NoiseTexel(16777215u), 0xFFFFFFFFu);
  EXPECT_EQ(bench::NoiseTexel(0x0000FFu), 0xFFFF0000u);  // red: low byte in, bits 16-23 out
  EXPECT_EQ(bench::NoiseTexel(0x00FF00u), 0xFF00FF00u);
  EXPECT_EQ(bench::NoiseTexel(0xFF0000u), 0xFF0000FFu);  // blue: high byte in, bits 0-7 out
  EXPECT_EQ(bench::NoiseTexel(0x123456u), 0xFF563412u);
}

TEST(NoiseTexture, FilledRowByRowFromTheRandomSequence) {
  fakes::FakeDevice device;
  bench::TestScene scene{device};
  bench::NoiseSource noise(12345);
  ASSERT_TRUE(bench::BuildTestScene(scene, noise));
  EXPECT_TRUE(scene.QuadFiltering);
  EXPECT_EQ(device.log, (std::vector<std::string>{"texture 1 1024x1024", "unlock 1"}));
  ASSERT_EQ(device.texels.size(), 1024u * 1024u);

  bench::NoiseSource twin(12345);
  for (std::size_t i = 0; i < device.texels.size(); ++i) {
    const std::uint32_t expected = bench::NoiseTexel(twin.NoiseRandom(16777215u));
    if (device.texels[i] != expected) {
      FAIL() << "texel (" << i % 1024 << ", " << i / 1024 << ")";
    }
  }
  // A different seed gives a different picture.
  fakes::FakeDevice other;
  bench::TestScene otherScene{other};
  bench::NoiseSource otherNoise(12346);
  ASSERT_TRUE(bench::BuildTestScene(otherScene, otherNoise));
  EXPECT_NE(other.texels, device.texels);
}

TEST(NoiseTexture, RandomRangeIsInclusive) {
  bench::NoiseSource noise(1);
  std::uint32_t highest = 0;
  for (int i = 0; i < 20000; ++i) {
    EXPECT_EQ(noise.NoiseRandom(0), 0u);
    const std::uint32_t v = noise.NoiseRandom(3);
    ASSERT_LE(v, 3u);
    highest = std::max(highest, v);
  }
  EXPECT_EQ(highest, 3u);
}

TEST(NoiseTexture, MissingTextureLeavesNothingToDraw) {
  fakes::FakeDevice device;
  device.textureWorks = false;
  bench::TestScene scene{device};
  bench::NoiseSource noise(1);
  EXPECT_FALSE(bench::BuildTestScene(scene, noise));
  device.log.clear();
  bench::DrawTestFrame(scene);
  EXPECT_EQ(device.log, (std::vector<std::string>{"clear 0", "present"}));
}

}  // namespace
