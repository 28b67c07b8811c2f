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
#include "PathUtils.h"

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

  Label2 = new QLabel(QString::fromUtf8(kAttribution), this);
  Label2->setObjectName("Label2");
  Label2->setGeometry(8, 30, 337, 17);
  Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

  BitBtn2 = MakeButton(this, "BitBtn2", QStringLiteral("Convert Mp3 as Wav"), QRect(170, 54, 121, 22));
  BitBtn2->setToolTip(QStringLiteral("If Mp3 is choosed, need to decode first"));
  BitBtn4 = MakeButton(this, "BitBtn4", QStringLiteral("Play Wav /Mp3"), QRect(54, 54, 103, 22));
  BitBtn4->setToolTip(QStringLiteral("Play  WAV or MP3"));

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

  BitBtn1 = MakeButton(this, "BitBtn1", QStringLiteral("Convert Wav as GP3 / GP4 sound format"), QRect(54, 81, 238, 22));

  // Tab order of the form: BitBtn2, BitBtn4, (MediaPlayer1), BitBtn6, BitBtn1.
  setTabOrder(BitBtn2, BitBtn4);
  setTabOrder(BitBtn4, BitBtn6);
  setTabOrder(BitBtn6, BitBtn1);

  connect(BitBtn1, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn1Click(); }); });
  connect(BitBtn2, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn2Click(); }); });
  connect(BitBtn4, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn4Click(); }); });
  connect(BitBtn6, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn6Click(); }); });
}

void TForm1::FormCreate() { SetUpSharedState(); }

void TForm1::SetUpSharedState() {
  AppDir = GetCurrentDir() + "/";
  Settings = std::make_unique<TIniFile>(AppDir + "S16c.ini");
  Gp3Dir = Settings->ReadText("Directory", "Gp3", "");
  WavDir = Settings->ReadText("Directory", "Wav", "");
}

void TForm1::FormClose() { Settings.reset(); }

void TForm1::BitBtn1Click() {}
void TForm1::BitBtn2Click() {}
void TForm1::BitBtn4Click() {}
void TForm1::BitBtn6Click() {}

std::string TForm1::StatusText() const { return statusPanel_->text().toStdString(); }

void TForm1::SetStatusText(const std::string& text) { statusPanel_->setText(QString::fromStdString(text)); }

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
