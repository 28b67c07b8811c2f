// The transport button row on the real widget (offscreen): sizes, the pixels
// it paints, mouse and keys. Set up as the main window has it: 57 x 23, Play
// and Stop visible, Play and Eject coloured.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>
#include <memory>

#include "MPlayer.h"
#include "QtInput.h"
#include "mplayer_fake_service.h"
#include "mplayer_pixels.h"

using ::testing::ElementsAre;

namespace {

class RowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<QWidget>();
    window->resize(200, 120);
    player = new TMediaPlayer(window.get());
    player->SetMciService(&service);
    // Applied as the window description stores them.
    player->Updating();
    player->SetBounds(7, 81, 57, 23);
    player->SetVisible(false);
    player->SetVisibleButtons({btPlay, btStop});
    player->SetColoredButtons({btPlay, btEject});
    player->OnClick = [&](TMediaPlayer*, TMPBtnType b, bool&) { clicks.push_back(b); };
    player->Updated();
    player->Loaded();
    player->SetFileName("/tmp/sound.wav");
    player->SetVisible(true);
  }
  void TearDown() override { window.reset(); }

  QImage Pixels() const { return ::Pixels(*player); }
  bool HasGlyph(const QImage& image, TMPBtnType button, Glyph index, int x, int y) const {
    return ::HasGlyph(*player, image, button, index, x, y);
  }

  void Key(int key) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(player, &e);
  }

  RecordingMciService service;
  std::unique_ptr<QWidget> window;
  TMediaPlayer* player = nullptr;
  std::vector<TMPBtnType> clicks;
};

TEST_F(RowTest, GlyphResourcesHaveTheirSizes) {
  const QSize sizes[9] = {{17, 16}, {13, 16}, {17, 16}, {21, 16}, {20, 16}, {21, 16}, {21, 16}, {13, 13}, {19, 16}};
  for (int b = 0; b < 9; ++b)
    for (int i = 0; i < 3; ++i) {
      QSize expected = sizes[b];
      if (b == btPause && i == kDisabled) expected.setWidth(12);
      EXPECT_EQ(player->Glyph(TMPBtnType(b), i).size(), expected) << b << "/" << i;
    }
  EXPECT_EQ(player->MinButtonSize(), QPoint(29, 20));
}

TEST_F(RowTest, MainWindowLayout) {
  EXPECT_EQ(player->ButtonWidth(), 29);
  EXPECT_EQ(player->geometry(), QRect(7, 81, 57, 23));
  const QImage image = Pixels();
  const QRgb frame = player->palette().color(QPalette::WindowText).rgb();
  // Cell borders: Play 0..28, Stop 28..56, sharing column 28.
  for (int y = 0; y < 23; ++y) {
    EXPECT_EQ(image.pixel(0, y), frame);
    EXPECT_EQ(image.pixel(28, y), frame);
    EXPECT_EQ(image.pixel(56, y), frame);
  }
  EXPECT_NE(image.pixel(27, 10), frame);
  EXPECT_NE(image.pixel(29, 10), frame);
  // Raised bevel: highlight on the left, shadow on the right of the Play cell.
  EXPECT_EQ(image.pixel(1, 10), player->palette().color(QPalette::Light).rgb());
  EXPECT_EQ(image.pixel(27, 10), player->palette().color(QPalette::Dark).rgb());
  // No device: both dimmed.
  EXPECT_TRUE(HasGlyph(image, btPlay, kDisabled, 6, 3));
  EXPECT_TRUE(HasGlyph(image, btStop, kDisabled, 34, 3));
}

TEST_F(RowTest, DefaultControlIsNineWholeCells) {
  TMediaPlayer fresh;
  EXPECT_EQ(fresh.ButtonWidth(), 29);
  EXPECT_EQ(fresh.size(), QSize(9 * 28 + 1, 30));
  EXPECT_EQ(fresh.VisibleButtons(), TMediaPlayer::AllButtons);
  EXPECT_EQ(fresh.FocusedButton(), btPlay);
  EXPECT_TRUE(fresh.AutoButtons().Empty());
}

TEST_F(RowTest, OpenLightsPlayInColourAndPressingPlaySwapsTheButtons) {
  player->Open();
  QImage image = Pixels();
  EXPECT_TRUE(HasGlyph(image, btPlay, kColored, 6, 3));
  EXPECT_TRUE(HasGlyph(image, btStop, kDisabled, 34, 3));

  ClickAt(player, 40);  // Stop is dimmed: ignored
  EXPECT_TRUE(clicks.empty());

  ClickAt(player, 28);  // the shared border belongs to Play
  EXPECT_THAT(clicks, ElementsAre(btPlay));
  ASSERT_EQ(service.Sent(MCI_PLAY).size(), 1u);
  EXPECT_EQ(service.Sent(MCI_PLAY)[0].flags, MCI_NOTIFY);
  image = Pixels();
  EXPECT_TRUE(HasGlyph(image, btPlay, kDisabled, 6, 3));
  EXPECT_TRUE(HasGlyph(image, btStop, kEnabled, 34, 3));

  ClickAt(player, 40);
  EXPECT_THAT(clicks, ElementsAre(btPlay, btStop));
  EXPECT_EQ(service.Sent(MCI_STOP).size(), 1u);
  EXPECT_TRUE(HasGlyph(Pixels(), btPlay, kColored, 6, 3));
}

TEST_F(RowTest, FailedCommandLeavesTheButtons) {
  player->Open();
  service.failures[MCI_PLAY] = MCIERR_HARDWARE;
  ClickAt(player, 10);
  EXPECT_EQ(service.Sent(MCI_PLAY).size(), 1u);
  EXPECT_TRUE(HasGlyph(Pixels(), btPlay, kColored, 6, 3));
}

TEST_F(RowTest, PressedCellIsSunkenUntilThePointerLeaves) {
  player->Open();
  SendMouse(player, QEvent::MouseButtonPress, 10);
  QImage image = Pixels();
  EXPECT_TRUE(HasGlyph(image, btPlay, kColored, 7, 4));
  EXPECT_EQ(image.pixel(1, 10), player->palette().color(QPalette::Dark).rgb());

  SendMouse(player, QEvent::MouseMove, 100);
  EXPECT_TRUE(HasGlyph(Pixels(), btPlay, kColored, 6, 3));
  SendMouse(player, QEvent::MouseMove, 12);
  EXPECT_TRUE(HasGlyph(Pixels(), btPlay, kColored, 7, 4));
  SendMouse(player, QEvent::MouseMove, 100);
  SendMouse(player, QEvent::MouseButtonRelease, 100);
  EXPECT_TRUE(clicks.empty());
  EXPECT_TRUE(service.Sent(MCI_PLAY).empty());
  // The press is over: coming back in draws nothing sunken.
  SendMouse(player, QEvent::MouseMove, 12);
  EXPECT_TRUE(HasGlyph(Pixels(), btPlay, kColored, 6, 3));
}

TEST_F(RowTest, WidthIsCorrectedToWholeCells) {
  player->SetWidth(60);
  EXPECT_EQ(player->ButtonWidth(), 30);
  EXPECT_EQ(player->Width(), 59);
  player->SetWidth(40);  // below the minimum of two cells
  EXPECT_EQ(player->Width(), 57);
  player->SetHeight(12);
  EXPECT_EQ(player->Height(), 20);
}

TEST_F(RowTest, OneVisibleButtonShrinksTheRow) {
  player->SetVisibleButtons({btStop});
  EXPECT_EQ(player->Width(), player->ButtonWidth());
  EXPECT_EQ(player->Width(), 29);
  player->SetVisibleButtons({});
  EXPECT_EQ(player->Width(), 29);
  ClickAt(player, 10);  // no visible button to press
  EXPECT_TRUE(clicks.empty());
}

// Disabling changes the glyphs and nothing else: face, frame and bevel keep
// their colours, though the palette's disabled group has others.
TEST_F(RowTest, DisabledControlShowsOnlyDisabledGlyphs) {
  QPalette palette = player->palette();
  const QRgb disabledColours[] = {0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u};
  const QPalette::ColorRole roles[] = {QPalette::WindowText, QPalette::Light, QPalette::Dark, QPalette::Button};
  for (int i = 0; i < 4; ++i) {
    ASSERT_NE(palette.color(QPalette::Active, roles[i]).rgb(), disabledColours[i]);
    palette.setColor(QPalette::Disabled, roles[i], QColor::fromRgb(disabledColours[i]));
  }
  player->setPalette(palette);
  player->SetAutoEnable(false);
  const QImage enabled = Pixels();
  EXPECT_TRUE(HasGlyph(enabled, btPlay, kColored, 6, 3));

  player->SetEnabled(false);
  const QImage disabled = Pixels();
  EXPECT_TRUE(HasGlyph(disabled, btPlay, kDisabled, 6, 3));
  EXPECT_TRUE(HasGlyph(disabled, btStop, kDisabled, 34, 3));
  const QRect glyphs[] = {QRect(6, 3, 17, 16), QRect(34, 3, 17, 16)};
  for (int y = 0; y < disabled.height(); ++y)
    for (int x = 0; x < disabled.width(); ++x) {
      if (glyphs[0].contains(x, y) || glyphs[1].contains(x, y)) continue;
      ASSERT_EQ(disabled.pixel(x, y), enabled.pixel(x, y)) << x << "," << y;
    }
}

TEST_F(RowTest, DoubleClickIsASecondPress) {
  player->SetAutoEnable(false);
  player->Open();
  SendMouse(player, QEvent::MouseButtonPress, 10);
  SendMouse(player, QEvent::MouseButtonRelease, 10);
  SendMouse(player, QEvent::MouseButtonDblClick, 10);
  SendMouse(player, QEvent::MouseButtonRelease, 10);
  EXPECT_THAT(clicks, ElementsAre(btPlay, btPlay));
  EXPECT_EQ(service.Sent(MCI_PLAY).size(), 2u);
}

TEST_F(RowTest, WithoutAutoEnableTheEnabledFlagsDecide) {
  player->Open();
  player->SetAutoEnable(false);
  player->SetEnabledButtons({btStop});
  QImage image = Pixels();
  EXPECT_TRUE(HasGlyph(image, btPlay, kDisabled, 6, 3));
  EXPECT_TRUE(HasGlyph(image, btStop, kEnabled, 34, 3));
  ClickAt(player, 10);
  EXPECT_TRUE(clicks.empty());
  ClickAt(player, 40);
  EXPECT_THAT(clicks, ElementsAre(btStop));
  image = Pixels();
  EXPECT_TRUE(HasGlyph(image, btPlay, kDisabled, 6, 3));
  EXPECT_TRUE(HasGlyph(image, btStop, kEnabled, 34, 3));
  // Back on: the automatic set shows again.
  player->SetAutoEnable(true);
  EXPECT_TRUE(HasGlyph(Pixels(), btPlay, kColored, 6, 3));
}

class FocusedRowTest : public RowTest {
 protected:
  void SetUp() override {
    RowTest::SetUp();
    window->show();
    window->activateWindow();
    player->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(player->hasFocus());
  }
  // The focus mark: the dotted rectangle 3 pixels inside the cell.
  static bool HasFocusMark(const QImage& focused, const QImage& plain, int cellX) {
    int changed = 0;
    for (int x = cellX + 3; x < cellX + 26; ++x) changed += focused.pixel(x, 3) != plain.pixel(x, 3);
    return changed >= 10;
  }
};

TEST_F(FocusedRowTest, ArrowsMoveTheFocusMarkAndSpacePressesIt) {
  player->Open();
  const QImage before = Pixels();
  player->clearFocus();
  const QImage plain = Pixels();
  player->setFocus();
  EXPECT_TRUE(HasFocusMark(before, plain, 0));
  EXPECT_FALSE(HasFocusMark(before, plain, 28));

  Key(Qt::Key_Right);
  EXPECT_EQ(player->FocusedButton(), btStop);
  QImage image = Pixels();
  EXPECT_FALSE(HasFocusMark(image, plain, 0));
  EXPECT_TRUE(HasFocusMark(image, plain, 28));

  Key(Qt::Key_Right);  // to the hidden end of the row: no mark
  EXPECT_EQ(player->FocusedButton(), btEject);
  image = Pixels();
  EXPECT_FALSE(HasFocusMark(image, plain, 0));
  EXPECT_FALSE(HasFocusMark(image, plain, 28));

  Key(Qt::Key_Left);
  EXPECT_EQ(player->FocusedButton(), btStop);
  Key(Qt::Key_Left);
  Key(Qt::Key_Left);
  EXPECT_EQ(player->FocusedButton(), btPlay);

  Key(Qt::Key_Space);
  EXPECT_THAT(clicks, ElementsAre(btPlay));
  EXPECT_EQ(service.Sent(MCI_PLAY).size(), 1u);
  EXPECT_TRUE(HasGlyph(Pixels(), btStop, kEnabled, 34, 3));
}

TEST_F(FocusedRowTest, ClickMovesTheFocusToThePressedButton) {
  player->Open();
  ClickAt(player, 10);
  ClickAt(player, 40);
  EXPECT_EQ(player->FocusedButton(), btStop);
}

TEST_F(FocusedRowTest, SpaceIgnoresAButtonOutsideEnabledButtons) {
  player->Open();
  player->SetEnabledButtons({btStop});
  Key(Qt::Key_Space);
  EXPECT_TRUE(clicks.empty());
}

}  // namespace
