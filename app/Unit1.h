#pragma once
// The program's one window: its controls, the state the three commands share,
// and the handlers. The commands live beside it, written against narrow
// interfaces; the handlers here only hand them the window's parts.

#include <QWidget>
#include <memory>
#include <string>

#include "CommandPorts.h"
#include "MPlayer.h"
#include "Messages.h"
#include "SharedState.h"

class QFrame;
class QLabel;
class QPushButton;
class QStatusBar;
class TGauge;
class TMPEGPlayer;
class TOpenDialog;
class TSaveDialog;
class TPlaybackCommand;

// Enabled and Visible of one control, as the commands set them.
class TControlState : public IControlState {
 public:
  explicit TControlState(QWidget* widget) : widget_(widget) {}
  void SetEnabled(bool enabled) override;
  void SetVisible(bool visible) override;

 private:
  QWidget* widget_;
};

class TForm1 : public QWidget, public IStatusLine {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Controls and components, in the order of the form description.
  QFrame* Bevel1 = nullptr;
  QLabel* Label1 = nullptr;
  TGauge* Gauge1 = nullptr;
  QLabel* Label2 = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QPushButton* BitBtn4 = nullptr;
  TMediaPlayer* MediaPlayer1 = nullptr;
  QPushButton* BitBtn6 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  std::unique_ptr<TOpenDialog> OpenDialog1;
  std::unique_ptr<TMPEGPlayer> MPEGPlayer1;
  std::unique_ptr<TSaveDialog> SaveDialog1;

  // The status bar's one simple panel, and the immediate repaint.
  std::string StatusText() const override;
  void SetStatusText(const std::string& text) override;
  void RepaintWindow() override;

  // Handlers.
  void FormCreate();
  void FormClose();
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn4Click();
  void BitBtn6Click();
  void MediaPlayer1Click(TMPBtnType button, bool& doDefault);
  void MediaPlayer1Notify();

  // State shared by the commands.
  TSharedState State;

  // The dialogs the commands show; tests may hand the window others.
  void SetMessages(IMessages* messages) { messages_ = messages; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  void SetUpSharedState();

  QLabel* statusPanel_ = nullptr;
  TMessages realMessages_;
  IMessages* messages_ = &realMessages_;
  std::unique_ptr<TControlState> bitBtn1State_, bitBtn2State_, bitBtn4State_, bitBtn6State_, mediaPlayer1State_;
  std::unique_ptr<TPlaybackCommand> playback_;
  bool centred_ = false;
};
