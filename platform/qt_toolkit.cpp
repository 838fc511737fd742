#include "platform/qt_toolkit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <algorithm>

#include "platform/embedded_assets.h"
#include "platform/frame_extents.h"
#include "platform/png_image.h"
#include "platform/text_codec.h"

namespace platform {

// A top-level window of the program. A close request never closes it: it becomes an event.
class ProgramWindow final : public QWidget {
 public:
  ProgramWindow(QtToolkit& toolkit, int number, QWidget* owner, Qt::WindowFlags flags)
      : QWidget(owner, flags), m_toolkit(toolkit), m_number(number) {}

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    m_toolkit.Queue({EventKind::CloseRequest, m_number, 0});
  }

 private:
  QtToolkit& m_toolkit;
  int m_number;
};

namespace {

QIcon ApplicationIcon() {
  QIcon icon;
  for (const char* name : {"app_16", "app_32", "app_48", "app_64", "app_128"}) {
    RgbaImage image;
    if (DecodePng(EmbeddedAsset(name), image)) {
      icon.addPixmap(QPixmap::fromImage(QImage(image.pixels.data(), image.width, image.height,
                                               image.width * 4, QImage::Format_RGBA8888)
                                            .copy()));
    }
  }
  return icon;
}

}  // namespace

QtToolkit::QtToolkit() { QApplication::setWindowIcon(ApplicationIcon()); }

QtToolkit::~QtToolkit() {
  while (!m_windows.empty()) CloseWindow(m_windows.begin()->first);
}

void QtToolkit::LoadFont(int font, std::string_view face, int points, bool bold) {
  QFont qfont(FromCp1252(face));
  qfont.setPointSize(points);
  qfont.setWeight(bold ? QFont::Bold : QFont::Normal);
  m_fonts[font] = qfont;
}

void QtToolkit::SetDefaultFont(int font) {
  const auto it = m_fonts.find(font);
  if (it != m_fonts.end()) m_defaultFont = it->second;
}

void QtToolkit::PlaceWindow(QWidget* widget, int width, int height, WindowStyle style,
                            int owner) {
  // Fixed size first: the window manager sizes its frame by it (openbox gives a resizable
  // window a thicker bottom edge). The native window must exist before it is asked.
  widget->setFixedSize(width, height);
  widget->winId();
  FrameExtents frame =
      style == WindowStyle::Popup ? FrameExtents{} : RequestFrameExtents(widget->winId());
  // The window manager answers in device pixels, the layout works in the window's own units:
  // they differ when the desktop is scaled (within a pixel at fractional factors).
  const qreal ratio = widget->devicePixelRatioF();
  const auto units = [ratio](int devicePixels) { return qRound(devicePixels / ratio); };
  frame = {units(frame.left), units(frame.right), units(frame.top), units(frame.bottom)};
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect available = screen != nullptr ? screen->geometry() : QRect(0, 0, 800, 600);
  int outerWidth = width + frame.left + frame.right;
  int outerHeight = height + frame.top + frame.bottom;
  outerWidth = std::min(outerWidth, available.width());
  outerHeight = std::min(outerHeight, available.height());
  int left = 0;
  int top = 0;
  const WindowRecord* ownerRecord =
      m_windows.contains(owner) ? &m_windows.at(owner) : nullptr;
  if (ownerRecord != nullptr) {
    const QRect outer = ownerRecord->widget->frameGeometry();
    left = std::max(0, outer.left() + (outer.width() - outerWidth) / 2);
    top = std::max(0, outer.top() + (outer.height() - outerHeight) / 2);
  } else {
    left = available.left() + (available.width() - outerWidth) / 2;
    top = available.top() + (available.height() - outerHeight) / 2;
  }
  const int clientWidth = std::max(1, outerWidth - frame.left - frame.right);
  const int clientHeight = std::max(1, outerHeight - frame.top - frame.bottom);
  widget->setFixedSize(clientWidth, clientHeight);
  widget->setGeometry(left + frame.left, top + frame.top, clientWidth, clientHeight);
}

int QtToolkit::OpenWindow(int window, int width, int height, std::string_view title,
                          WindowStyle style, int owner) {
  if (window == kToolkitChooses) window = m_nextWindow++;
  if (m_windows.contains(window)) CloseWindow(window);
  Qt::WindowFlags flags;
  if (style == WindowStyle::Popup) {
    flags = Qt::Window | Qt::FramelessWindowHint;
  } else {
    flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
            Qt::WindowCloseButtonHint;
  }
  // An owned window is a dialog of its owner: kept above it and deleted with it.
  const auto ownerIt = m_windows.find(owner);
  QWidget* ownerWidget = ownerIt != m_windows.end() ? ownerIt->second.widget : nullptr;
  flags |= ownerWidget != nullptr ? Qt::Dialog : Qt::Window;
  auto* widget = new ProgramWindow(*this, window, ownerWidget, flags);
  widget->setAttribute(Qt::WA_DeleteOnClose, false);
  widget->setWindowTitle(FromCp1252(title));
  widget->setAutoFillBackground(true);
  PlaceWindow(widget, width, height, style, ownerWidget != nullptr ? owner : kNoOwner);
  m_windows[window] = {widget, ownerWidget != nullptr ? owner : kNoOwner};
  m_currentWindow = window;
  widget->show();
  widget->raise();
  widget->activateWindow();
  return window;
}

void QtToolkit::CloseWindow(int window) {
  const auto it = m_windows.find(window);
  if (it == m_windows.end()) return;
  // The windows it owns go first, with their events.
  std::vector<int> owned;
  for (const auto& [number, record] : m_windows) {
    if (record.owner == window) owned.push_back(number);
  }
  for (const int number : owned) CloseWindow(number);

  ProgramWindow* widget = it->second.widget;
  const int owner = it->second.owner;
  m_windows.erase(it);
  if (const auto ownerIt = m_windows.find(owner); ownerIt != m_windows.end()) {
    ownerIt->second.widget->activateWindow();
  }
  for (auto c = m_controls.begin(); c != m_controls.end();) {
    if (c->second.isNull() || c->second->window() == widget) {
      c = m_controls.erase(c);
    } else {
      ++c;
    }
  }
  std::erase_if(m_events, [window](const Event& e) { return e.window == window; });
  if (m_currentWindow == window) m_currentWindow = kNoOwner;
  delete widget;
}

Size QtToolkit::ClientSize(int window) {
  const QWidget* widget = WindowWidget(window);
  if (widget == nullptr) return {};
  return {widget->width(), widget->height()};
}

void QtToolkit::SetWindowTitle(int window, std::string_view title) {
  if (QWidget* widget = WindowWidget(window)) widget->setWindowTitle(FromCp1252(title));
}

void QtToolkit::AddShortcut(int window, Key key, int number) {
  QWidget* widget = WindowWidget(window);
  if (widget == nullptr) return;
  auto add = [&](Qt::Key qtKey) {
    auto* shortcut = new QShortcut(QKeySequence(qtKey), widget);
    shortcut->setContext(Qt::WindowShortcut);
    shortcut->setAutoRepeat(false);
    QObject::connect(shortcut, &QShortcut::activated, widget,
                     [this, window, number] { Queue({EventKind::Shortcut, window, number}); });
  };
  if (key == Key::Return) {
    add(Qt::Key_Return);
    add(Qt::Key_Enter);  // the keypad's Enter counts as Return
  } else {
    add(Qt::Key_Escape);
  }
}

void QtToolkit::AddTimer(int window, int timer, int periodMs) {
  QWidget* widget = WindowWidget(window);
  if (widget == nullptr) return;
  auto* qtimer = new QTimer(widget);
  qtimer->setTimerType(Qt::PreciseTimer);  // a coarse timer may fire 5 % early
  QObject::connect(qtimer, &QTimer::timeout, widget,
                   [this, window, timer] { Queue({EventKind::Timer, window, timer}); });
  qtimer->start(periodMs);
}

int QtToolkit::DecodeImage(int image, std::string_view asset) {
  RgbaImage decoded;
  if (!DecodePng(EmbeddedAsset(asset), decoded)) return -1;
  if (image == kToolkitChooses) image = m_nextImage++;
  m_images[image] = QImage(decoded.pixels.data(), decoded.width, decoded.height,
                           decoded.width * 4, QImage::Format_RGBA8888)
                        .copy();
  return image;
}

Size QtToolkit::ImageSize(int image) {
  const auto it = m_images.find(image);
  if (it == m_images.end()) return {};
  return {it->second.width(), it->second.height()};
}

void QtToolkit::ReleaseImage(int image) { m_images.erase(image); }

int QtToolkit::AddControl(QWidget* widget, int x, int y, int width, int height) {
  widget->setFont(m_defaultFont);
  widget->setGeometry(x, y, width, height);
  widget->show();
  const int number = m_nextControl++;
  m_controls[number] = widget;
  return number;
}

int QtToolkit::AddImage(int x, int y, int width, int height, int image) {
  QWidget* parent = WindowWidget(m_currentWindow);
  if (parent == nullptr) return kNoControl;
  auto* label = new QLabel(parent);
  const auto it = m_images.find(image);
  if (it != m_images.end()) {
    label->setPixmap(QPixmap::fromImage(it->second));
    width = it->second.width();
    height = it->second.height();
  }
  return AddControl(label, x, y, width, height);
}

int QtToolkit::AddText(int x, int y, int width, int height, std::string_view text,
                       TextAlign align) {
  QWidget* parent = WindowWidget(m_currentWindow);
  if (parent == nullptr) return kNoControl;
  auto* label = new QLabel(FromCp1252(text), parent);
  label->setWordWrap(true);
  label->setAlignment((align == TextAlign::Right ? Qt::AlignRight : Qt::AlignLeft) |
                      Qt::AlignTop);
  return AddControl(label, x, y, width, height);
}

int QtToolkit::AddCheckBox(int x, int y, int width, int height, std::string_view text) {
  QWidget* parent = WindowWidget(m_currentWindow);
  if (parent == nullptr) return kNoControl;
  auto* box = new QCheckBox(FromCp1252(text), parent);
  const int number = AddControl(box, x, y, width, height);
  const int window = m_currentWindow;
  QObject::connect(box, &QCheckBox::clicked, box, [this, window, number] {
    Queue({EventKind::ControlActivated, window, number});
  });
  return number;
}

int QtToolkit::AddButton(int x, int y, int width, int height, std::string_view text,
                         bool isDefault) {
  QWidget* parent = WindowWidget(m_currentWindow);
  if (parent == nullptr) return kNoControl;
  auto* button = new QPushButton(FromCp1252(text), parent);
  button->setAutoDefault(false);
  button->setDefault(isDefault);
  const int number = AddControl(button, x, y, width, height);
  const int window = m_currentWindow;
  QObject::connect(button, &QPushButton::clicked, button, [this, window, number] {
    Queue({EventKind::ControlActivated, window, number});
  });
  return number;
}

int QtToolkit::AddTextBox(int x, int y, int width, int height) {
  QWidget* parent = WindowWidget(m_currentWindow);
  if (parent == nullptr) return kNoControl;
  auto* box = new QPlainTextEdit(parent);
  box->setReadOnly(true);
  box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  box->setFocusPolicy(Qt::StrongFocus);
  box->setLineWrapMode(QPlainTextEdit::NoWrap);
  box->setWordWrapMode(QTextOption::NoWrap);
  box->setTabChangesFocus(true);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  box->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  return AddControl(box, x, y, width, height);
}

void QtToolkit::SetControlFont(int control, int font) {
  QWidget* widget = ControlWidget(control);
  const auto it = m_fonts.find(font);
  if (widget != nullptr && it != m_fonts.end()) widget->setFont(it->second);
}

void QtToolkit::SetControlText(int control, std::string_view text) {
  QWidget* widget = ControlWidget(control);
  if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
    box->setPlainText(FromCp1252(text));  // LF starts a new line; shown from the top
    box->moveCursor(QTextCursor::Start);
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(FromCp1252(text));
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(FromCp1252(text));
  }
}

void QtToolkit::SetFocus(int control) {
  if (QWidget* widget = ControlWidget(control)) widget->setFocus(Qt::OtherFocusReason);
}

int QtToolkit::FocusedControl() {
  const QWidget* focus = QApplication::focusWidget();
  if (focus == nullptr) return kNoControl;
  for (const auto& [number, widget] : m_controls) {
    if (widget == focus) return number;
  }
  return kNoControl;
}

bool QtToolkit::IsChecked(int control) {
  const auto* box = qobject_cast<QCheckBox*>(ControlWidget(control));
  return box != nullptr && box->isChecked();
}

void QtToolkit::Queue(const Event& event) { m_events.push_back(event); }

Event QtToolkit::WaitEvent() {
  while (m_events.empty()) {
    // May return without anything queued for us (a repaint, an expose): wait again.
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  const Event event = m_events.front();
  m_events.pop_front();
  return event;
}

Event QtToolkit::PollEvent() {
  if (m_events.empty()) QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (m_events.empty()) return {};
  const Event event = m_events.front();
  m_events.pop_front();
  return event;
}

void QtToolkit::ShowError(std::string_view text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Grafikkarten-Benchmark"),
                  FromCp1252(text), QMessageBox::Ok);
  box.exec();
}

QWidget* QtToolkit::WindowWidget(int window) const {
  const auto it = m_windows.find(window);
  return it != m_windows.end() ? it->second.widget : nullptr;
}

QWidget* QtToolkit::ControlWidget(int control) const {
  const auto it = m_controls.find(control);
  return it != m_controls.end() ? it->second.data() : nullptr;
}

}  // namespace platform
