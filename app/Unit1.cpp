#include "Unit1.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

#include "Application.h"
#include "FileDialogs.h"
#include "GameSoundConversion.h"
#include "Gauges.h"
#include "Locations.h"
#include "MPEGPlay.h"
#include "Mp3ToWavCommand.h"
#include "OpticalDisc.h"
#include "PlaybackCommand.h"
#include "SettingNames.h"

namespace {

const char* const kAttribution = "Vantrel 2.0 - sounds for GP3 and GP4";
const char* const kStatusAttribution = "Vantrel - free software for Grand Prix sound makers";

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

void TControlState::SetEnabled(bool enabled) {
  // Qt hands the keyboard focus of a control being disabled to the next one
  // in the tab chain, and gives a reactivated window without a focus widget
  // to its first one: either may be the media player a command has just
  // shown, where Space would play at once. The window itself keeps the focus
  // instead, so no control takes keys until the user moves the focus.
  if (!enabled && widget_->window()->focusWidget() == widget_) widget_->window()->setFocus(Qt::OtherFocusReason);
  widget_->setEnabled(enabled);
}
void TControlState::SetVisible(bool visible) { widget_->setVisible(visible); }

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
  setObjectName("Form1");
  setWindowTitle(QStringLiteral("Vantrel  V2.0"));
  // A dialog-style window: system menu and close box only, fixed size.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(346, 155);
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(11);
  setFont(font);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
  QIcon icon;
  icon.addFile(QStringLiteral(":/window/icon16.png"), QSize(16, 16));
  icon.addFile(QStringLiteral(":/window/icon32.png"), QSize(32, 32));
  setWindowIcon(icon);
  // Desktops find the window's desktop entry (and its name and icon) by this
  // id: the Wayland app id, the X11 window class hint.
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.vantrel.vantrel"));

  BuildControls();
  Guarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::BuildControls() {
  Bevel1 = new QFrame(this);
  Bevel1->setObjectName("Bevel1");
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Bevel1->setGeometry(0, 0, 346, 49);

  Label1 = new QLabel(QStringLiteral("Serafon"), this);
  Label1->setObjectName("Label1");
  Label1->setGeometry(8, 8, 330, 19);
  Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  QFont titleFont(QStringLiteral("Arial"));
  titleFont.setPixelSize(16);
  titleFont.setBold(true);
  Label1->setFont(titleFont);
  QPalette black = Label1->palette();
  black.setColor(QPalette::WindowText, Qt::black);
  Label1->setPalette(black);

  Gauge1 = new TGauge(this);
  Gauge1->setObjectName("Gauge1");
  Gauge1->BeginLoading();
  Gauge1->setGeometry(2, 112, 343, 18);
  Gauge1->SetProgress(0);
  Gauge1->EndLoading();

  Label2 = new QLabel(QString::fromUtf8(kAttribution), this);
  Label2->setObjectName("Label2");
  Label2->setGeometry(8, 30, 337, 17);
  Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

  BitBtn2 = MakeButton(this, "BitBtn2", QStringLiteral("Convert Mp3 as Wav"), QRect(170, 54, 121, 22));
  BitBtn2->setToolTip(QStringLiteral("If Mp3 is choosed, need to decode first"));
  BitBtn4 = MakeButton(this, "BitBtn4", QStringLiteral("Play Wav /Mp3"), QRect(54, 54, 103, 22));
  BitBtn4->setToolTip(QStringLiteral("Play  WAV or MP3"));

  MediaPlayer1 = new TMediaPlayer(this);
  MediaPlayer1->setObjectName("MediaPlayer1");
  MediaPlayer1->Updating();
  MediaPlayer1->SetBounds(7, 81, 57, 23);
  MediaPlayer1->SetColoredButtons(TButtonSet{btPlay, btEject});
  MediaPlayer1->SetVisibleButtons(TButtonSet{btPlay, btStop});
  MediaPlayer1->SetVisible(false);
  MediaPlayer1->OnClick = [this](TMediaPlayer*, TMPBtnType button, bool& doDefault) {
    MediaPlayer1Click(button, doDefault);
  };
  MediaPlayer1->OnNotify = [this](TMediaPlayer*) { MediaPlayer1Notify(); };
  MediaPlayer1->Updated();
  MediaPlayer1->Loaded();

  BitBtn6 = MakeButton(this, "BitBtn6", QString(), QRect(8, 81, 25, 23));
  QIcon stopGlyph;
  stopGlyph.addFile(QStringLiteral(":/window/stop.png"), QSize(16, 16), QIcon::Normal);
  stopGlyph.addFile(QStringLiteral(":/window/stop_disabled.png"), QSize(16, 16), QIcon::Disabled);
  BitBtn6->setIcon(stopGlyph);
  BitBtn6->setIconSize(QSize(16, 16));
  BitBtn6->hide();

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setGeometry(0, 136, 346, 19);
  StatusBar1->setSizeGripEnabled(false);
  statusPanel_ = new QLabel(QString::fromUtf8(kStatusAttribution));
  statusPanel_->setObjectName("SimpleText");
  StatusBar1->addWidget(statusPanel_, 1);

  BitBtn1 =
      MakeButton(this, "BitBtn1", QStringLiteral("Convert Wav as GP3 / GP4 sound format"), QRect(54, 81, 238, 22));

  OpenDialog1 = std::make_unique<TOpenDialog>(this);
  MPEGPlayer1 = std::make_unique<TMPEGPlayer>();
  MPEGPlayer1->SetTimerGuard([](const std::function<void()>& tick) { Guarded(tick); });
  SaveDialog1 = std::make_unique<TSaveDialog>(this);
  SaveDialog1->SetTitle("Select your Grand Prix 3\\Sound  Directory");
  SaveDialog1->SetFilter("GP3/GP4 Sounds|bsound*.16;tk*.st1");

  // Tab order of the form: BitBtn2, BitBtn4, MediaPlayer1, BitBtn6, BitBtn1.
  setTabOrder(BitBtn2, BitBtn4);
  setTabOrder(BitBtn4, MediaPlayer1);
  setTabOrder(MediaPlayer1, BitBtn6);
  setTabOrder(BitBtn6, BitBtn1);

  bitBtn1State_ = std::make_unique<TControlState>(BitBtn1);
  bitBtn2State_ = std::make_unique<TControlState>(BitBtn2);
  bitBtn4State_ = std::make_unique<TControlState>(BitBtn4);
  bitBtn6State_ = std::make_unique<TControlState>(BitBtn6);
  mediaPlayer1State_ = std::make_unique<TControlState>(MediaPlayer1);
  playback_ =
      std::make_unique<TPlaybackCommand>(TPlaybackParts{*OpenDialog1, *this, *MediaPlayer1, *MPEGPlayer1,
                                                        *bitBtn1State_, *bitBtn2State_, *bitBtn4State_, *bitBtn6State_},
                                         State);

  connect(BitBtn1, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn1Click(); }); });
  connect(BitBtn2, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn2Click(); }); });
  connect(BitBtn4, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn4Click(); }); });
  connect(BitBtn6, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn6Click(); }); });
}

void TForm1::FormCreate() {
  // A library that cannot be loaded is reported (after this returns, before
  // the window shows), but every command still gets its application
  // directory and settings object.
  try {
    MPEGPlayer1->LoadDLL();
  } catch (...) {
    SetUpSharedState();
    throw;
  }
  SetUpSharedState();
}

// The settings are the user's, not the folder's: the same file wherever the
// program is started, and never beside the executable, which an installed
// program may not write to.
void TForm1::SetUpSharedState() {
  State.AppDir = ApplicationDirectory();
  State.Settings = std::make_unique<TIniFile>(SettingsFileName(), TFolderCreation::Create);
  State.Gp3Dir = State.Settings->ReadText(kFolderSection, kGp3FolderKey, "");
  State.WavDir = State.Settings->ReadText(kFolderSection, kWavFolderKey, "");
}

void TForm1::FormClose() {
  State.Settings.reset();
  MPEGPlayer1->UnloadDLL();
}

void TForm1::BitBtn1Click() {
  TGameSoundConversion command({*OpenDialog1, *SaveDialog1, *messages_, *this, *Gauge1, State.Settings.get()},
                               State.WavDir, State.Gp3Dir, State.HalvingSucceeded);
  command.Run();
}

void TForm1::BitBtn2Click() {
  TMp3ToWavCommand command({*OpenDialog1, *messages_, *this, *Gauge1, *MPEGPlayer1, *bitBtn1State_, *bitBtn2State_,
                            *bitBtn4State_, *mediaPlayer1State_},
                           State, PrivateLibraryDirectory(State.AppDir),
                           [](const std::string& fileName) { return LiesOnOpticalDisc(fileName, nullptr); });
  command.Run();
}

void TForm1::BitBtn4Click() { playback_->BitBtn4Click(); }
void TForm1::BitBtn6Click() { playback_->BitBtn6Click(); }
void TForm1::MediaPlayer1Click(TMPBtnType button, bool& doDefault) { playback_->MediaPlayer1Click(button, doDefault); }
void TForm1::MediaPlayer1Notify() { playback_->MediaPlayer1Notify(); }

std::string TForm1::StatusText() const { return statusPanel_->text().toStdString(); }

void TForm1::SetStatusText(const std::string& text) { statusPanel_->setText(QString::fromStdString(text)); }

// The commands keep the user-interface thread busy; the status bar must show
// each step before the next one starts.
void TForm1::RepaintWindow() { repaint(); }

void TForm1::closeEvent(QCloseEvent* event) {
  Guarded([this] { FormClose(); });
  event->accept();
}

void TForm1::showEvent(QShowEvent* event) {
  // Centred on the screen when first shown.
  if (!centred_) {
    centred_ = true;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect area = screen->availableGeometry();
      move(area.left() + (area.width() - frameGeometry().width()) / 2,
           area.top() + (area.height() - frameGeometry().height()) / 2);
    }
  }
  QWidget::showEvent(event);
}
