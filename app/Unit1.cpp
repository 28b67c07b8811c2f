#include "Unit1.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <iterator>

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
#include "WindowLayout.h"

namespace {

namespace layout = window_layout;

void Place(QWidget* widget, const TControlPlace& place) {
  widget->setObjectName(place.name);
  widget->setGeometry(place.left, place.top, place.width, place.height);
  if (*place.hint) widget->setToolTip(QString::fromUtf8(place.hint));
}

QPushButton* MakeButton(QWidget* parent, const TControlPlace& place) {
  auto* button = new QPushButton(QString::fromUtf8(place.caption), parent);
  Place(button, place);
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
  setWindowTitle(QString::fromUtf8(layout::kTitle));
  // A dialog-style window: system menu and close box only, fixed size.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(layout::kClientWidth, layout::kClientHeight);
  QFont font(QString::fromUtf8(layout::kFontName));
  font.setPixelSize(layout::kFontPixels);
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
  Place(Bevel1, layout::kBevel1);
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);

  Label1 = new QLabel(QString::fromUtf8(layout::kLabel1.caption), this);
  Place(Label1, layout::kLabel1);
  Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  QFont titleFont(QString::fromUtf8(layout::kTitleFontName));
  titleFont.setPixelSize(layout::kTitleFontPixels);
  titleFont.setBold(true);
  Label1->setFont(titleFont);
  QPalette black = Label1->palette();
  black.setColor(QPalette::WindowText, Qt::black);
  Label1->setPalette(black);

  Gauge1 = new TGauge(this);
  Gauge1->BeginLoading();
  Place(Gauge1, layout::kGauge1);
  Gauge1->SetProgress(0);
  Gauge1->EndLoading();

  Label2 = new QLabel(QString::fromUtf8(layout::kLabel2.caption), this);
  Place(Label2, layout::kLabel2);
  Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

  BitBtn2 = MakeButton(this, layout::kBitBtn2);
  BitBtn4 = MakeButton(this, layout::kBitBtn4);

  const TControlPlace& player = layout::kMediaPlayer1;
  MediaPlayer1 = new TMediaPlayer(this);
  MediaPlayer1->setObjectName(player.name);
  MediaPlayer1->Updating();
  MediaPlayer1->SetBounds(player.left, player.top, player.width, player.height);
  MediaPlayer1->SetColoredButtons(TButtonSet{btPlay, btEject});
  MediaPlayer1->SetVisibleButtons(TButtonSet{btPlay, btStop});
  MediaPlayer1->SetVisible(false);
  MediaPlayer1->OnClick = [this](TMediaPlayer*, TMPBtnType button, bool& doDefault) {
    MediaPlayer1Click(button, doDefault);
  };
  MediaPlayer1->OnNotify = [this](TMediaPlayer*) { MediaPlayer1Notify(); };
  MediaPlayer1->Updated();
  MediaPlayer1->Loaded();

  BitBtn6 = MakeButton(this, layout::kBitBtn6);
  QIcon stopGlyph;
  stopGlyph.addFile(QStringLiteral(":/window/stop.png"), QSize(16, 16), QIcon::Normal);
  stopGlyph.addFile(QStringLiteral(":/window/stop_disabled.png"), QSize(16, 16), QIcon::Disabled);
  BitBtn6->setIcon(stopGlyph);
  BitBtn6->setIconSize(QSize(16, 16));
  BitBtn6->hide();

  StatusBar1 = new QStatusBar(this);
  Place(StatusBar1, layout::kStatusBar1);
  StatusBar1->setSizeGripEnabled(false);
  statusPanel_ = new QLabel(QString::fromUtf8(layout::kStatusBar1.caption));
  statusPanel_->setObjectName("SimpleText");
  StatusBar1->addWidget(statusPanel_, 1);

  BitBtn1 = MakeButton(this, layout::kBitBtn1);

  OpenDialog1 = std::make_unique<TOpenDialog>(this);
  MPEGPlayer1 = std::make_unique<TMPEGPlayer>();
  MPEGPlayer1->SetTimerGuard([](const std::function<void()>& tick) { Guarded(tick); });
  SaveDialog1 = std::make_unique<TSaveDialog>(this);
  SaveDialog1->SetTitle(layout::kSaveDialogTitle);
  SaveDialog1->SetFilter(layout::kSaveDialogFilter);

  const auto byName = [this](const TControlPlace* place) { return findChild<QWidget*>(place->name); };
  for (size_t i = 1; i < std::size(layout::kTabOrder); ++i)
    setTabOrder(byName(layout::kTabOrder[i - 1]), byName(layout::kTabOrder[i]));

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
