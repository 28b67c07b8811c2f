#pragma once
// The program's one window: its controls, the state the three commands share,
// and the handlers. The commands themselves live beside it, written against
// narrow interfaces; the handlers here only hand them the window's parts.

#include <QWidget>

#include <memory>
#include <string>

#include "DialogTypes.h"
#include "IniFiles.h"

class QFrame;
class QLabel;
class QPushButton;
class QStatusBar;

class TForm1 : public QWidget, private IStatusLine {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Controls, in the order of the form description.
  QFrame* Bevel1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QPushButton* BitBtn4 = nullptr;
  QPushButton* BitBtn6 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QPushButton* BitBtn1 = nullptr;

  // The status bar's one simple panel.
  std::string StatusText() const override;
  void SetStatusText(const std::string& text) override;

  // Handlers.
  void FormCreate();
  void FormClose();
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn4Click();
  void BitBtn6Click();

  // State shared by the commands.
  std::string AppDir;                   // working directory at creation + "/"
  std::unique_ptr<TIniFile> Settings;   // on AppDir + "S16c.ini"
  std::string Gp3Dir;                   // game sound folder, as read at start-up
  std::string WavDir;                   // WAV folder, as read at start-up
  std::string Mp3FileName;
  std::string OutBaseName;
  std::string PlayedFileName;
  bool HalvingSucceeded = false;
  bool Playing = false;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  // The steps of FormCreate after the decoder library was loaded.
  void SetUpSharedState();
  void RepaintWindow() override;

  QLabel* statusPanel_ = nullptr;
  bool centred_ = false;
};
