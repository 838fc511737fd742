#include "ui/splash_screen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_toolkit.h"

namespace {

using platform::Event;
using platform::EventKind;

TEST(SplashScreen, PictureSizedPopupThatOnlyTheSplashTimerEnds) {
  fakes::FakeToolkit toolkit;
  // What a user may do in the two seconds, then the timer, then what comes after it.
  toolkit.events = {
      {EventKind::ControlActivated, 0, 100},  // a click on the picture
      {EventKind::Shortcut, 0, 1},            // Return or Escape, were they registered
      {EventKind::Shortcut, 0, 0},
      {EventKind::CloseRequest, 0, 0},        // Alt+F4
      {EventKind::Timer, 0, 7},               // a timer of another number
      {EventKind::None, 0, 0},                // a repaint, an activation
      {EventKind::Timer, 0, 3},
      {EventKind::CloseRequest, 0, 0},
  };
  ui::ShowSplash(toolkit);
  EXPECT_EQ(toolkit.log, (std::vector<std::string>{
      "image splash",
      "open 0 400x225 'Grafikkarten-Benchmark | Tessolar' popup owner -1",
      "control 100 image 2 at 0,0 400x225",
      "timer 0 3 2000",
  })) << "the window stays open with its timer";
  ASSERT_EQ(toolkit.events.size(), 1u) << "everything up to the first tick is consumed";
  EXPECT_EQ(toolkit.events.front().kind, EventKind::CloseRequest);
}

TEST(SplashScreen, ReturnsWithTheFirstTickWhenNothingHappens) {
  fakes::FakeToolkit toolkit;
  ui::ShowSplash(toolkit);
  EXPECT_EQ(toolkit.log.back(), "tick 0 3");
}

}  // namespace
