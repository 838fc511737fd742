// The splash window and the hint dialog as real Qt widgets on Qt's offscreen platform (no
// X server): geometry, picture, texts, fonts, focus and tab order, and what the keys do.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

#include "app/settings_file.h"
#include "platform/qt_toolkit.h"
#include "ui/fonts.h"
#include "ui/hint_dialog.h"
#include "ui/splash_screen.h"

namespace {

using platform::EventKind;

constexpr char kAdvice[] =
    "Um ein einwandfreies Benchmark-Ergebnis zu erreichen, ist es vorteilhaft, wenn alle "
    "anderen Anwendungen geschlossen sind.";

struct StartWindows : ::testing::Test {
  platform::QtToolkit toolkit;

  void SetUp() override {
    toolkit.LoadFont(ui::kDefaultFont, "Arial", 9, false);
    toolkit.LoadFont(ui::kHeadingFont, "Arial", 10, true);
    toolkit.SetDefaultFont(ui::kDefaultFont);
  }
  void TearDown() override { toolkit.CloseWindow(0); }
  QWidget* Splash() const { return toolkit.WindowWidget(0); }
};

TEST_F(StartWindows, SplashIsTheCentredBorderlessPictureAndKeysDoNotEndIt) {
  QElapsedTimer elapsed;
  QTimer::singleShot(0, [&] {
    QWidget* splash = Splash();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash->windowTitle(), "Grafikkarten-Benchmark | Tessolar");
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(splash->geometry(), QRect((screen.width() - 400) / 2, (screen.height() - 225) / 2,
                                        400, 225));
    auto* picture = splash->findChild<QLabel*>();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->geometry(), QRect(0, 0, 400, 225));
    const QImage image = picture->pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(400, 225));
    // Opaque everywhere, and a picture rather than one flat colour.
    int opaque = 0;
    QSet<QRgb> colours;
    for (int y = 0; y < 225; y += 15) {
      for (int x = 0; x < 400; x += 20) {
        opaque += qAlpha(image.pixel(x, y)) == 255;
        colours.insert(image.pixel(x, y));
      }
    }
    EXPECT_EQ(opaque, 15 * 20);
    EXPECT_GT(colours.size(), 10);

    // Escape, Return, a click and a close request are all swallowed by the wait.
    QTest::keyClick(splash, Qt::Key_Escape);
    QTest::keyClick(splash, Qt::Key_Return);
    QTest::mouseClick(picture, Qt::LeftButton);
    splash->close();
  });
  elapsed.start();
  ui::ShowSplash(toolkit);
  EXPECT_GE(elapsed.elapsed(), 1900) << "ended by the timer, not by the keys";
  EXPECT_TRUE(Splash()->isVisible()) << "still open after the phase";

  // The timer goes on; its next tick, two periods after the start, is the next event.
  const platform::Event next = toolkit.WaitEvent();
  EXPECT_EQ(next.kind, EventKind::Timer);
  EXPECT_EQ(next.number, ui::kSplashTimer);
  EXPECT_GE(elapsed.elapsed(), 3900);
}

// The hint dialog's widgets, found by kind and text.
struct HintWidgets {
  QWidget* window = nullptr;
  QLabel* icon = nullptr;
  QLabel* advice = nullptr;
  QCheckBox* box = nullptr;
  QPushButton* accept = nullptr;
  QPushButton* cancel = nullptr;

  explicit HintWidgets(QWidget* dialog) : window(dialog) {
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
      if (!label->pixmap().isNull()) icon = label;
      if (label->text() == kAdvice) advice = label;
    }
    box = dialog->findChild<QCheckBox*>();
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
      if (button->text() == "Akzeptieren") accept = button;
      if (button->text() == "Abbrechen") cancel = button;
    }
  }
  bool Complete() const { return icon && advice && box && accept && cancel; }
};

struct HintDialogWidgets : StartWindows {
  app::Settings settings;
  QPointer<QWidget> dialog;

  void SetUp() override {
    StartWindows::SetUp();
    app::OpenSettings(settings, "");  // no file: the writes stay in memory
    QTimer::singleShot(0, [this] { toolkit.Queue({EventKind::Timer, 0, ui::kSplashTimer}); });
    ui::ShowSplash(toolkit);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Splash()));
  }

  // Shows the dialog and runs `inspect` on it from inside its wait. Whatever `inspect`
  // leaves open is then ended by a close request, so a failed check never hangs the test.
  int Show(const std::function<void(HintWidgets&)>& inspect) {
    QTimer::singleShot(0, [&] {
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top != Splash() && top->isVisible()) dialog = top;
      }
      if (dialog == nullptr) {
        ADD_FAILURE() << "no dialog window";
      } else if (HintWidgets widgets(dialog);
                 // An owned window counts as active with its owner: wait for the dialog itself.
                 !QTest::qWaitFor([&] { return QApplication::activeWindow() == dialog; })) {
        ADD_FAILURE() << "the dialog was not activated";
      } else if (!widgets.Complete()) {
        ADD_FAILURE() << "a control is missing";
      } else {
        inspect(widgets);
      }
      toolkit.Queue({EventKind::CloseRequest, 0, 0});
    });
    return ui::ShowHintDialog(toolkit, 0, settings);
  }
};

TEST_F(HintDialogWidgets, ControlsTakeTheirPlacesTextsAndFonts) {
  const int result = Show([&](HintWidgets& d) {
    EXPECT_EQ(d.window->size(), QSize(400, 150));
    EXPECT_EQ(d.window->windowTitle(), "Grafikkarten-Benchmark | Tessolar");
    EXPECT_EQ(d.window->parentWidget(), Splash()) << "owned by the splash window";
    EXPECT_TRUE(d.window->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(d.window->windowFlags() & Qt::WindowMinMaxButtonsHint);
    // Centred on the splash window. This platform tells the layer of no frame extents, so
    // the client rectangle is what gets centred.
    const QRect owner = Splash()->frameGeometry();
    EXPECT_EQ(d.window->geometry().topLeft(), owner.topLeft() + QPoint(0, (225 - 150) / 2));

    EXPECT_EQ(d.icon->geometry(), QRect(20, 20, 48, 48)) << "the picture's own size";
    EXPECT_EQ(d.advice->geometry(), QRect(90, 20, 290, 50));
    EXPECT_EQ(d.box->geometry(), QRect(90, 75, 290, 20));
    EXPECT_EQ(d.accept->geometry(), QRect(100, 110, 95, 24));
    EXPECT_EQ(d.cancel->geometry(), QRect(205, 110, 95, 24));
    EXPECT_EQ(d.box->text(), "Diese Meldung nicht mehr anzeigen.");
    EXPECT_FALSE(d.box->isChecked());

    // The advice wraps at word boundaries and fits its box; the check box's text fits too.
    EXPECT_TRUE(d.advice->wordWrap());
    EXPECT_TRUE(d.advice->alignment() & Qt::AlignLeft);
    const QFontMetrics metrics(d.advice->font());
    EXPECT_LE(metrics.boundingRect(QRect(0, 0, 290, 1000), Qt::TextWordWrap, kAdvice).height(),
              50);
    EXPECT_LE(d.box->sizeHint().width(), 290);
    for (QWidget* w : {static_cast<QWidget*>(d.advice), static_cast<QWidget*>(d.box),
                       static_cast<QWidget*>(d.accept), static_cast<QWidget*>(d.cancel)}) {
      EXPECT_EQ(w->font().family(), "Arial");
      EXPECT_EQ(w->font().pointSize(), 9);
      EXPECT_EQ(QFontInfo(w->font()).pixelSize(), 12);  // at 96 pixels per inch
      EXPECT_EQ(w->font().weight(), QFont::Normal);
    }
    EXPECT_TRUE(d.accept->isDefault());
    EXPECT_FALSE(d.cancel->isDefault());
    EXPECT_EQ(QApplication::focusWidget(), d.accept);
  });
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(settings.modified);
  // Left open on return, and gone with the splash window.
  ASSERT_FALSE(dialog.isNull());
  EXPECT_TRUE(dialog->isVisible());
  toolkit.CloseWindow(0);
  EXPECT_TRUE(dialog.isNull());
}

TEST_F(HintDialogWidgets, TabOrderWrapsSpaceTicksAndReturnActsForTheFocusedButton) {
  const int result = Show([&](HintWidgets& d) {
    ASSERT_EQ(QApplication::focusWidget(), d.accept);
    for (QWidget* expected : {static_cast<QWidget*>(d.cancel), static_cast<QWidget*>(d.box),
                              static_cast<QWidget*>(d.accept)}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      EXPECT_EQ(QApplication::focusWidget(), expected);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), d.box);
    QTest::keyClick(d.box, Qt::Key_Space);
    EXPECT_TRUE(d.box->isChecked());
    QTest::keyClick(d.box, Qt::Key_Return);  // on the check box: nothing
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), d.cancel);
    QTest::keyClick(d.cancel, Qt::Key_Return);  // "Abbrechen" has the focus: cancel
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(app::ReadSettingInt(settings, "HideTip", -1), 1) << "written on the toggle";
}

}  // namespace
