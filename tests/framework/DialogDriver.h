#pragma once
// Drives a real dialog through the event loop: polls until the dialog is the
// active window with a focus widget (keys typed earlier are lost), then runs
// a script on it. When the dialog does not appear, or is still open when the
// time limit ends, the test fails and the dialog is closed so the test
// returns instead of hanging.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <functional>

class DialogDriver {
 public:
  using Script = std::function<void(QWidget* dialog)>;
  using Finder = std::function<QWidget*()>;

  static QWidget* ActiveModal() { return QApplication::activeModalWidget(); }
  // A visible top-level window with this objectName (for a dialog that is not modal).
  static Finder TopLevelNamed(const QString& name) {
    return [name]() -> QWidget* {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == name) return w;
      return nullptr;
    };
  }

  explicit DialogDriver(Script script, Finder finder = ActiveModal, int limitMs = 10000)
      : script_(std::move(script)), finder_(std::move(finder)), limitMs_(limitMs) {
    clock_.start();
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }
  ~DialogDriver() { timer_.stop(); }

  bool Ran() const { return ran_; }

 private:
  void Poll() {
    if (!ran_) {
      QWidget* dialog = finder_();
      QWidget* focus = QApplication::focusWidget();
      if (dialog && dialog->isActiveWindow() && focus && focus->window() == dialog) {
        ran_ = true;
        script_(dialog);
        return;
      }
    } else if (!finder_()) {
      timer_.stop();  // the script closed its dialog
      return;
    }
    if (clock_.elapsed() < limitMs_) return;
    timer_.stop();
    ADD_FAILURE() << (ran_ ? "the dialog stayed open after the script" : "no dialog appeared in time");
    // Close whatever is still up: a prompt the dialog opened, then the dialog.
    for (int i = 0; i < 5; ++i) {
      QWidget* open = QApplication::activeModalWidget();
      if (!open) open = finder_();
      if (!open) break;
      open->close();
    }
  }

  Script script_;
  Finder finder_;
  int limitMs_;
  QElapsedTimer clock_;
  QTimer timer_;
  bool ran_ = false;
};

// Real key presses through the window, as the window system delivers them.
inline void Key(QWidget* dialog, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QTest::keyClick(dialog->windowHandle(), key, mods);
}

inline void TypeText(QWidget* dialog, const QString& text) {
  QTest::keyClicks(QApplication::focusWidget() ? QApplication::focusWidget() : dialog, text);
}

// The close box: the window system's close request.
inline void CloseBox(QWidget* dialog) { dialog->windowHandle()->close(); }
