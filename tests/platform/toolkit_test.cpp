// The Qt toolkit on a real X server with a window manager: the one event stream, windows by
// number with their placement and ownership, controls, shortcuts and focus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <memory>

#include "platform/qt_toolkit.h"

namespace {

using platform::Event;
using platform::EventKind;
using platform::kNoOwner;
using platform::WindowStyle;

void Settle(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Waits (bounded) until the window is the active one, as the window manager decides.
bool WaitActive(QWidget* window) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 5000) {
    if (window->isActiveWindow()) return true;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return false;
}

// Polls for the next event for at most two seconds, so that a lost event fails the test
// instead of hanging it; kind None when nothing came.
Event NextEvent(platform::Toolkit& toolkit) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 2000) {
    const Event event = toolkit.PollEvent();
    if (event.kind != EventKind::None) return event;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return {};
}

struct ToolkitFixture : ::testing::Test {
  std::unique_ptr<platform::QtToolkit> toolkit = std::make_unique<platform::QtToolkit>();
  void TearDown() override {
    toolkit.reset();
    Settle(50);
  }
  int Open(int window, int width, int height, int owner = kNoOwner,
           WindowStyle style = WindowStyle::Titled) {
    const int number = toolkit->OpenWindow(window, width, height, "Test", style, owner);
    Settle(150);
    return number;
  }
  // Drains what the windows produced while they were being set up.
  void Drain() {
    while (toolkit->PollEvent().kind != EventKind::None) {
    }
  }
};

TEST_F(ToolkitFixture, CloseRequestIsAnEventAndLeavesTheWindowOpen) {
  const int window = Open(0, 200, 100);
  Drain();
  toolkit->WindowWidget(window)->close();
  const Event event = NextEvent(*toolkit);
  EXPECT_EQ(event.kind, EventKind::CloseRequest);
  EXPECT_EQ(event.window, window);
  ASSERT_NE(toolkit->WindowWidget(window), nullptr);
  EXPECT_TRUE(toolkit->WindowWidget(window)->isVisible());
  EXPECT_EQ(toolkit->PollEvent().kind, EventKind::None) << "exactly one event per request";
}

TEST_F(ToolkitFixture, TimerKeepsFiringIntoTheStream) {
  const int window = Open(0, 200, 100);
  toolkit->AddTimer(window, 3, 40);
  for (int i = 0; i < 3; ++i) {
    const Event event = toolkit->WaitEvent();  // blocks until the timer fires
    EXPECT_EQ(event.kind, EventKind::Timer);
    EXPECT_EQ(event.number, 3);
    EXPECT_EQ(event.window, window);
  }
}

TEST_F(ToolkitFixture, ClosingAWindowTakesOwnedWindowsAndTheirQueuedEvents) {
  const int owner = Open(0, 300, 300);
  const int dialog = Open(platform::kToolkitChooses, 200, 100, owner);
  const int other = Open(7, 100, 100);
  EXPECT_GE(dialog, 1000);
  Drain();
  toolkit->Queue({EventKind::Timer, owner, 3});
  toolkit->Queue({EventKind::CloseRequest, dialog, 0});
  toolkit->Queue({EventKind::Timer, other, 5});
  toolkit->CloseWindow(owner);
  EXPECT_EQ(toolkit->WindowWidget(owner), nullptr);
  EXPECT_EQ(toolkit->WindowWidget(dialog), nullptr);
  ASSERT_NE(toolkit->WindowWidget(other), nullptr);
  const Event left = toolkit->PollEvent();
  EXPECT_EQ(left.kind, EventKind::Timer);
  EXPECT_EQ(left.window, other);
  EXPECT_EQ(toolkit->PollEvent().kind, EventKind::None);
}

TEST_F(ToolkitFixture, WindowsAreCentredByTheirOuterSize) {
  const int owner = Open(0, 512, 512);
  QWidget* ownerWidget = toolkit->WindowWidget(owner);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const QRect ownerOuter = ownerWidget->frameGeometry();
  EXPECT_EQ(toolkit->ClientSize(owner).width, 512);
  EXPECT_EQ(toolkit->ClientSize(owner).height, 512);
  EXPECT_GT(ownerOuter.height(), 512) << "the window manager adds a title bar";
  EXPECT_EQ(ownerOuter.left(), (screen.width() - ownerOuter.width()) / 2);
  EXPECT_EQ(ownerOuter.top(), (screen.height() - ownerOuter.height()) / 2);

  const int dialog = Open(platform::kToolkitChooses, 400, 170, owner);
  const QRect outer = toolkit->WindowWidget(dialog)->frameGeometry();
  EXPECT_EQ(toolkit->ClientSize(dialog).width, 400);
  EXPECT_EQ(toolkit->ClientSize(dialog).height, 170);
  EXPECT_EQ(outer.left(), ownerOuter.left() + (ownerOuter.width() - outer.width()) / 2);
  EXPECT_EQ(outer.top(), ownerOuter.top() + (ownerOuter.height() - outer.height()) / 2);

  const int popup = Open(9, 400, 225, kNoOwner, WindowStyle::Popup);
  EXPECT_EQ(toolkit->WindowWidget(popup)->geometry(),
            QRect((screen.width() - 400) / 2, (screen.height() - 225) / 2, 400, 225));
}

TEST_F(ToolkitFixture, WindowLargerThanTheScreenIsReducedToIt) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const int window = Open(0, screen.width() + 300, screen.height() + 300);
  const QRect outer = toolkit->WindowWidget(window)->frameGeometry();
  EXPECT_EQ(outer, screen);
  EXPECT_LT(toolkit->ClientSize(window).width, screen.width());
  EXPECT_LT(toolkit->ClientSize(window).height, screen.height());
}

TEST_F(ToolkitFixture, ControlsReportActivationAndState) {
  const int window = Open(0, 300, 200);
  const int box = toolkit->AddCheckBox(10, 10, 200, 20, "Haken");
  const int button = toolkit->AddButton(10, 50, 95, 24, "Knopf", false);
  Drain();
  auto* checkBox = qobject_cast<QCheckBox*>(toolkit->ControlWidget(box));
  auto* pushButton = qobject_cast<QPushButton*>(toolkit->ControlWidget(button));
  ASSERT_NE(checkBox, nullptr);
  ASSERT_NE(pushButton, nullptr);
  EXPECT_EQ(checkBox->window(), toolkit->WindowWidget(window));

  QTest::mouseClick(checkBox, Qt::LeftButton, {}, QPoint(8, 10));  // on the box itself
  Event event = NextEvent(*toolkit);
  EXPECT_EQ(event.kind, EventKind::ControlActivated);
  EXPECT_EQ(event.number, box);
  EXPECT_TRUE(toolkit->IsChecked(box)) << "the tick changes before the event is seen";
  QTest::mouseClick(pushButton, Qt::LeftButton);
  event = NextEvent(*toolkit);
  EXPECT_EQ(event.kind, EventKind::ControlActivated);
  EXPECT_EQ(event.number, button);
  EXPECT_FALSE(toolkit->IsChecked(button));
}

TEST_F(ToolkitFixture, ShortcutsComeBeforeTheFocusedButtonAndFollowTheActiveWindow) {
  const int window = Open(0, 300, 200);
  const int button = toolkit->AddButton(10, 50, 95, 24, "Knopf", true);
  toolkit->AddShortcut(window, platform::Key::Return, 1);
  toolkit->AddShortcut(window, platform::Key::Escape, 0);
  toolkit->SetFocus(button);
  QWidget* widget = toolkit->WindowWidget(window);
  ASSERT_TRUE(WaitActive(widget));
  Drain();
  EXPECT_EQ(toolkit->FocusedControl(), button);

  struct Row {
    Qt::Key key;
    int number;
  };
  for (const Row row : {Row{Qt::Key_Return, 1}, Row{Qt::Key_Enter, 1}, Row{Qt::Key_Escape, 0}}) {
    SCOPED_TRACE(row.key);
    QTest::keyClick(QApplication::focusWidget(), row.key);
    const Event event = NextEvent(*toolkit);
    EXPECT_EQ(event.kind, EventKind::Shortcut);
    EXPECT_EQ(event.number, row.number);
    EXPECT_EQ(toolkit->PollEvent().kind, EventKind::None) << "the button did not click";
  }

  // Another window active: the shortcut of this one does not act.
  const int other = Open(5, 100, 100);
  ASSERT_TRUE(WaitActive(toolkit->WindowWidget(other)));
  Drain();
  QTest::keyClick(toolkit->WindowWidget(other), Qt::Key_Escape);
  Settle(50);
  EXPECT_EQ(toolkit->PollEvent().kind, EventKind::None);
  EXPECT_EQ(toolkit->FocusedControl(), platform::kNoControl);
}

TEST_F(ToolkitFixture, TabMovesThroughTabStopsInCreationOrderAndWraps) {
  const int window = Open(0, 400, 170);
  toolkit->AddText(90, 20, 290, 25, "Ergebnisse", platform::TextAlign::Left);
  const int textBox = toolkit->AddTextBox(90, 45, 290, 70);
  const int first = toolkit->AddButton(100, 130, 95, 24, "Wiederholen", false);
  const int second = toolkit->AddButton(205, 130, 95, 24, "Beenden", true);
  toolkit->SetFocus(second);
  ASSERT_TRUE(WaitActive(toolkit->WindowWidget(window)));
  EXPECT_EQ(toolkit->FocusedControl(), second);
  for (const int expected : {textBox, first, second, textBox}) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(toolkit->FocusedControl(), expected);
  }
  for (const int expected : {second, first, textBox}) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(toolkit->FocusedControl(), expected);
  }
}

TEST_F(ToolkitFixture, ControlsTakeTheirPlaceFontsAndTexts) {
  toolkit->LoadFont(4, "Arial", 9, false);
  toolkit->LoadFont(5, "Arial", 10, true);
  toolkit->SetDefaultFont(4);
  Open(0, 400, 170);
  const int image = toolkit->DecodeImage(platform::kToolkitChooses, "results_icon");
  ASSERT_GE(image, 0);
  EXPECT_EQ(toolkit->ImageSize(image).width, 48);
  const int icon = toolkit->AddImage(20, 50, 32, 32, image);
  const int heading = toolkit->AddText(90, 20, 290, 25, "Ergebnisse", platform::TextAlign::Left);
  toolkit->SetControlFont(heading, 5);
  const int note = toolkit->AddText(200, 20, 180, 25, "Angaben in FPS", platform::TextAlign::Right);
  const int textBox = toolkit->AddTextBox(90, 45, 290, 70);
  toolkit->SetControlText(textBox, " Lauf 2 : 1,00 ( \xB1 0,00 )\n Lauf 1 : 2,00 ( \xB1 0,50 )");

  EXPECT_EQ(toolkit->ControlWidget(icon)->geometry(), QRect(20, 50, 48, 48));
  EXPECT_EQ(toolkit->ControlWidget(note)->geometry(), QRect(200, 20, 180, 25));
  const auto* noteLabel = qobject_cast<QLabel*>(toolkit->ControlWidget(note));
  EXPECT_TRUE(noteLabel->alignment() & Qt::AlignRight);

  const QFont normal = toolkit->ControlWidget(note)->font();
  const QFont bold = toolkit->ControlWidget(heading)->font();
  EXPECT_EQ(normal.pointSize(), 9);
  EXPECT_EQ(bold.pointSize(), 10);
  EXPECT_EQ(bold.weight(), QFont::Bold);
  EXPECT_EQ(QFontInfo(normal).pixelSize(), 12);  // at 96 pixels per inch
  EXPECT_EQ(QFontInfo(bold).pixelSize(), 13);

  const auto* box = qobject_cast<QPlainTextEdit*>(toolkit->ControlWidget(textBox));
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isReadOnly());
  EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(box->blockCount(), 2);
  EXPECT_EQ(box->document()->firstBlock().text(), QString::fromUtf8(" Lauf 2 : 1,00 ( ± 0,00 )"));
  EXPECT_EQ(box->textCursor().position(), 0) << "shown from the top";
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
