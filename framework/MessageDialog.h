#pragma once
// The message dialog: a small modal window built on the fly with a text, the
// stock icon of its kind and a row of buttons, laid out from the metrics of
// the message-box font by the shared rules of MessageDialogLayout.h. The
// plain message is the custom kind with one OK.

#include <QDialog>
#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "DialogTypes.h"
#include "MessageDialogLayout.h"

class QPushButton;

class TMessageForm : public QDialog {
  Q_OBJECT

 public:
  explicit TMessageForm(QWidget* parent = nullptr);

  // The button that Enter presses when no button has the focus, and the one
  // Escape presses; null when the set holds no such button.
  QPushButton* DefaultButton() const { return defaultButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }
  // Left to right.
  const std::vector<QPushButton*>& Buttons() const { return buttons_; }

  // Shows the form application-modal, centred on the monitor of the active
  // window, and returns the result of the button pressed (mrCancel when the
  // window was closed).
  TModalResult ShowModal();

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 public slots:
  void reject() override;

 private:
  friend std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string&, TMsgDlgType, TMsgDlgButtons);

  void AddButton(QPushButton* button, TModalResult result, int accelerator);
  // Handles Enter, Escape, Alt+F4 and accelerator letters; true when the key was ours.
  bool HandleKey(QKeyEvent* key, bool pressNow);
  QPushButton* ButtonForLetter(int key) const;

  std::vector<QPushButton*> buttons_;
  std::vector<int> accelerators_;  // of buttons_, 0 for none
  QPushButton* defaultButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

// Builds the form without showing it (what MessageDialog shows).
std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons);

// Builds, shows modally and destroys the message dialog; returns the result
// of the button pressed. helpContext 0 means no help.
TModalResult MessageDialog(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons, int helpContext);

// The custom kind (caption = application title), one OK button, no help.
void PlainMessage(const std::string& text);

// The per-process cache of button widths (caption width + 8, 0 until first
// needed), and how many times each caption was measured, for tests.
int CachedButtonWidth(TMsgDlgBtn button);
int ButtonWidthMeasurements(TMsgDlgBtn button);

// The font the dialog is laid out in: the platform theme's message-box font,
// else the application's default font.
QFont MessageDialogFont();
