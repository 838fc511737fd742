// The results dialog as real Qt widgets on Qt's offscreen platform (no X server): the
// controls' places, texts, fonts and alignment, the focus, the tab order and the text box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <functional>
#include <string>

#include "platform/qt_toolkit.h"
#include "ui/fonts.h"
#include "ui/results_dialog.h"

namespace {

constexpr char kTwoRuns[] = " Lauf 2 : 181,82 ( \xB1 16,53 )\n Lauf 1 : 243,90 ( \xB1 4,21 )";

// The dialog's widgets, found by kind and text.
struct DialogWidgets {
  QWidget* window = nullptr;
  QLabel* icon = nullptr;
  QLabel* heading = nullptr;
  QLabel* unitNote = nullptr;
  QPlainTextEdit* box = nullptr;
  QPushButton* repeat = nullptr;
  QPushButton* quit = nullptr;

  explicit DialogWidgets(QWidget* dialog) : window(dialog) {
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
      if (!label->pixmap().isNull()) icon = label;
      if (label->text() == "Ergebnisse") heading = label;
      if (label->text() == "Angaben in FPS") unitNote = label;
    }
    box = dialog->findChild<QPlainTextEdit*>();
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
      if (button->text() == "Wiederholen") repeat = button;
      if (button->text() == "Beenden") quit = button;
    }
  }
  bool Complete() const { return icon && heading && unitNote && box && repeat && quit; }
};

struct ResultsDialogWidgets : ::testing::Test {
  platform::QtToolkit toolkit;
  int owner = -1;

  void SetUp() override {
    toolkit.LoadFont(ui::kDefaultFont, "Arial", 9, false);
    toolkit.LoadFont(ui::kHeadingFont, "Arial", 10, true);
    toolkit.SetDefaultFont(ui::kDefaultFont);
    owner = toolkit.OpenWindow(0, 512, 512, "Grafikkarten-Benchmark | Tessolar",
                               platform::WindowStyle::Titled, platform::kNoOwner);
  }

  // Shows the dialog and runs `inspect` on it from inside its wait. Whatever `inspect`
  // leaves open is then ended by a close request, so a failed check never hangs the test.
  int Show(const std::string& text, const std::function<void(DialogWidgets&)>& inspect) {
    QTimer::singleShot(0, [&] {
      QWidget* dialog = nullptr;
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top != toolkit.WindowWidget(owner) && top->isVisible()) dialog = top;
      }
      if (dialog == nullptr) {
        ADD_FAILURE() << "no dialog window";
        toolkit.Queue({platform::EventKind::CloseRequest, owner, 0});
        return;
      }
      DialogWidgets widgets(dialog);
      // An owned window counts as active with its owner: wait for the dialog itself.
      if (!QTest::qWaitFor([&] { return QApplication::activeWindow() == dialog; })) {
        ADD_FAILURE() << "the dialog was not activated";
      } else if (!widgets.Complete()) {
        ADD_FAILURE() << "a control is missing";
      } else {
        inspect(widgets);
      }
      toolkit.Queue({platform::EventKind::CloseRequest, owner, 0});
    });
    return ui::ShowResultsDialog(toolkit, owner, text);
  }
};

TEST_F(ResultsDialogWidgets, ControlsTakeTheirPlacesTextsAndFonts) {
  const int result = Show(kTwoRuns, [&](DialogWidgets& d) {
    EXPECT_EQ(d.window->size(), QSize(400, 170));
    EXPECT_EQ(d.window->windowTitle(), "Grafikkarten-Benchmark | Tessolar");
    EXPECT_EQ(d.window->parentWidget(), toolkit.WindowWidget(owner)) << "owned";
    EXPECT_TRUE(d.window->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(d.window->windowFlags() & Qt::WindowMinMaxButtonsHint);

    EXPECT_EQ(d.icon->geometry(), QRect(20, 50, 48, 48)) << "the picture's own size";
    EXPECT_EQ(d.heading->geometry(), QRect(90, 20, 290, 25));
    EXPECT_EQ(d.unitNote->geometry(), QRect(200, 20, 180, 25));
    EXPECT_EQ(d.box->geometry(), QRect(90, 45, 290, 70));
    EXPECT_EQ(d.repeat->geometry(), QRect(100, 130, 95, 24));
    EXPECT_EQ(d.quit->geometry(), QRect(205, 130, 95, 24));

    EXPECT_TRUE(d.heading->alignment() & Qt::AlignLeft);
    EXPECT_TRUE(d.unitNote->alignment() & Qt::AlignRight);
    EXPECT_EQ(d.heading->font().weight(), QFont::Bold);
    EXPECT_EQ(d.heading->font().pointSize(), 10);
    EXPECT_EQ(QFontInfo(d.heading->font()).pixelSize(), 13);  // at 96 pixels per inch
    EXPECT_EQ(QFontInfo(d.unitNote->font()).pixelSize(), 12);
    for (QWidget* w : {static_cast<QWidget*>(d.unitNote), static_cast<QWidget*>(d.box),
                       static_cast<QWidget*>(d.repeat), static_cast<QWidget*>(d.quit)}) {
      EXPECT_EQ(w->font().family(), "Arial");
      EXPECT_EQ(w->font().pointSize(), 9);
      EXPECT_EQ(w->font().weight(), QFont::Normal);
    }
    // Both texts of the shared row stay visible: the heading ends well before the note's
    // box begins, and the note fits its box.
    EXPECT_LT(90 + QFontMetrics(d.heading->font()).horizontalAdvance(d.heading->text()), 200);
    EXPECT_LE(QFontMetrics(d.unitNote->font()).horizontalAdvance(d.unitNote->text()), 180);

    EXPECT_FALSE(d.repeat->isDefault());
    EXPECT_TRUE(d.quit->isDefault());
    EXPECT_EQ(QApplication::focusWidget(), d.quit);
  });
  EXPECT_EQ(result, 0);
}

TEST_F(ResultsDialogWidgets, TextBoxIsReadOnlyUnwrappedAndShowsTheNewestRunOnTop) {
  Show(kTwoRuns, [&](DialogWidgets& d) {
    EXPECT_TRUE(d.box->isReadOnly());
    EXPECT_EQ(d.box->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(d.box->blockCount(), 2);
    EXPECT_EQ(d.box->document()->firstBlock().text(),
              QString::fromUtf8(" Lauf 2 : 181,82 ( ± 16,53 )"));
    EXPECT_EQ(d.box->document()->lastBlock().text(),
              QString::fromUtf8(" Lauf 1 : 243,90 ( ± 4,21 )"));
    EXPECT_TRUE(d.box->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    EXPECT_TRUE(d.box->textInteractionFlags() & Qt::TextSelectableByMouse);

    d.box->setFocus();
    QTest::keyClicks(d.box, "xyz");
    QTest::keyClick(d.box, Qt::Key_Delete);
    EXPECT_EQ(d.box->toPlainText().toStdString(),
              " Lauf 2 : 181,82 ( \xC2\xB1 16,53 )\n Lauf 1 : 243,90 ( \xC2\xB1 4,21 )");
  });

  // Many runs: the text is taller than the box, the scroll bar is needed, and the newest
  // run stands on the top line without scrolling. A long line scrolls sideways.
  std::string many;
  for (int run = 12; run >= 1; --run) {
    if (!many.empty()) many += '\n';
    many += " Lauf " + std::to_string(run) + " : 100,00 ( \xB1 0,00 )";
  }
  many += "                                                  (lang)";
  Show(many, [&](DialogWidgets& d) {
    QApplication::processEvents();
    EXPECT_TRUE(d.box->verticalScrollBar()->isVisible());
    EXPECT_TRUE(d.box->horizontalScrollBar()->isVisible());
    EXPECT_EQ(d.box->verticalScrollBar()->value(), 0);
    EXPECT_EQ(d.box->cursorForPosition(QPoint(5, 5)).block().text(),
              QString::fromUtf8(" Lauf 12 : 100,00 ( ± 0,00 )"));
  });
}

TEST_F(ResultsDialogWidgets, TabOrderWrapsAndReturnActsForTheFocusedButton) {
  const int result = Show(kTwoRuns, [&](DialogWidgets& d) {
    ASSERT_EQ(QApplication::focusWidget(), d.quit);
    for (QWidget* expected : {static_cast<QWidget*>(d.box), static_cast<QWidget*>(d.repeat),
                              static_cast<QWidget*>(d.quit), static_cast<QWidget*>(d.box)}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      EXPECT_EQ(QApplication::focusWidget(), expected);
    }
    for (QWidget* expected : {static_cast<QWidget*>(d.quit), static_cast<QWidget*>(d.repeat)}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
      EXPECT_EQ(QApplication::focusWidget(), expected);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // "Wiederholen"
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(QApplication::topLevelWidgets().count(), 1) << "the dialog is gone";
}

}  // namespace
