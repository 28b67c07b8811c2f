// The message dialog's layout without any toolkit: a fixed-width font of 7 x
// 13 pixels (the sample is 52 letters of 7) on a screen 640 wide, so every
// number below can be worked out by hand from the rules.

#include "MessageDialogLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr int kCharWidth = 7;
constexpr int kLineHeight = 13;
constexpr int kScreenWidth = 640;

// The shown width of a line: "&" marks the next letter and "&&" shows one.
int ShownWidth(const std::string& line) {
  int chars = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '&' && i + 1 < line.size()) ++i;
    ++chars;
  }
  return chars * kCharWidth;
}

// Lines end at LF; a line wider than maxWidth breaks at the last blank that fits.
TTextExtent FixedExtent(const std::string& lines, int maxWidth) {
  int widest = 0;
  int count = 0;
  size_t start = 0;
  while (start <= lines.size()) {
    const size_t end = std::min(lines.find('\n', start), lines.size());
    std::string rest = lines.substr(start, end - start);
    for (;;) {
      ++count;
      if (ShownWidth(rest) <= maxWidth) {
        widest = std::max(widest, ShownWidth(rest));
        break;
      }
      size_t cut = rest.rfind(' ');
      while (cut != std::string::npos && ShownWidth(rest.substr(0, cut)) > maxWidth)
        cut = cut == 0 ? std::string::npos : rest.rfind(' ', cut - 1);
      if (cut == std::string::npos || cut == 0) {
        widest = std::max(widest, ShownWidth(rest));
        break;
      }
      widest = std::max(widest, ShownWidth(rest.substr(0, cut)));
      rest = rest.substr(cut + 1);
    }
    start = end + 1;
  }
  return {widest, count * kLineHeight};
}

struct Fake {
  int captionMeasurements = 0;
  TMessageLayoutInput Input(TMsgDlgType kind, TMsgDlgButtons buttons, const std::string& text) {
    TMessageLayoutInput in;
    in.charWidth = AverageCharWidth(ShownWidth(kAverageCharSample));
    in.charHeight = kLineHeight;
    in.screenWidth = kScreenWidth;
    in.kind = kind;
    in.buttons = buttons;
    in.text = text;
    in.applicationTitle = "Korlit";
    in.textExtent = FixedExtent;
    in.captionWidth = [this](const std::string& caption) {
      ++captionMeasurements;
      return ShownWidth(caption);
    };
    return in;
  }
};

// With cw 7 and ch 13: margins 14 and 13, icon spacing 18 (17.5 rounded up),
// row spacing 16, button spacing 7, buttons 23 high and at least 88 wide.
constexpr int kHorzMargin = 14, kVertMargin = 13, kHorzSpacing = 18, kVertSpacing = 16;
constexpr int kButtonSpacing = 7, kButtonHeight = 23, kMinButtonWidth = 88;

using B = TMsgDlgBtn;
const TMsgDlgButtons kAll{B::mbYes,   B::mbNo,  B::mbOK,      B::mbCancel,   B::mbAbort, B::mbRetry,
                          B::mbIgnore, B::mbAll, B::mbNoToAll, B::mbYesToAll, B::mbHelp};

// 60 words of 6 letters, 419 characters on one line; 45 characters fit in half
// the screen, so 6 words (41 characters, 287 px) a line, 10 lines.
std::string LongText() {
  std::string s;
  for (int i = 0; i < 60; ++i) s += (i ? " word" : "word") + std::to_string(10 + i % 90).substr(0, 2);
  return s;
}

struct SetCase {
  const char* name;
  TMsgDlgButtons buttons;
  int buttonWidth;
  const char* defaultName;  // nullptr: Enter presses nothing
  const char* cancelName;
};

const SetCase kSets[] = {
    {"OK", {B::mbOK}, kMinButtonWidth, "OK", "OK"},
    {"YesNo", {B::mbYes, B::mbNo}, kMinButtonWidth, "Yes", "No"},
    {"OKCancel", {B::mbOK, B::mbCancel}, kMinButtonWidth, "OK", "Cancel"},
    {"AbortRetryIgnore", {B::mbAbort, B::mbRetry, B::mbIgnore}, kMinButtonWidth, "Retry", nullptr},
    // "Non pour tout" is 13 letters: 91 + 8.
    {"YesNoToAll", {B::mbYes, B::mbNoToAll}, 99, "Yes", nullptr},
    {"All", kAll, 99, "OK", "Cancel"},
    {"None", {}, kMinButtonWidth, nullptr, nullptr},
};

}  // namespace

TEST(MessageDialogLayout, ARowOfButtonsUnderTheTextForEveryKindSetAndText) {
  const TMsgDlgType kinds[] = {TMsgDlgType::mtWarning, TMsgDlgType::mtError, TMsgDlgType::mtInformation,
                               TMsgDlgType::mtConfirmation, TMsgDlgType::mtCustom};
  struct TextCase {
    std::string text;
    int width, height;
  };
  const TextCase texts[] = {{"Hi", 14, 13}, {LongText(), 287, 10 * kLineHeight}};
  for (const TMsgDlgType kind : kinds) {
    for (const SetCase& set : kSets) {
      for (const TextCase& text : texts) {
        SCOPED_TRACE(std::string(set.name) + " kind " + std::to_string(static_cast<int>(kind)) + " text " +
                     std::to_string(text.text.size()));
        Fake fake;
        TButtonWidths widths;
        const TMessageLayout l = LayOutMessageDialog(fake.Input(kind, set.buttons, text.text), widths);
        const bool icon = kind != TMsgDlgType::mtCustom;
        EXPECT_EQ(l.hasIcon, icon);
        if (icon) {
          EXPECT_EQ(l.icon, (TDialogRect{kHorzMargin, kVertMargin, 32, 32}));
        }
        const int textLeft = icon ? kHorzMargin + 32 + kHorzSpacing : kHorzMargin;
        EXPECT_EQ(l.message, (TDialogRect{textLeft, kVertMargin, text.width, text.height}));
        const int blockHeight = icon ? std::max(32, text.height) : text.height;

        const int n = static_cast<int>(l.buttons.size());
        const int rowWidth = n == 0 ? 0 : n * set.buttonWidth + (n - 1) * kButtonSpacing;
        EXPECT_EQ(l.clientWidth, std::max(textLeft - kHorzMargin + text.width, rowWidth) + 2 * kHorzMargin);
        EXPECT_EQ(l.clientHeight, blockHeight + kVertSpacing + kButtonHeight + 2 * kVertMargin);

        int x = (l.clientWidth - rowWidth) / 2;
        int previous = -1;
        int defaults = 0, cancels = 0;
        for (const TMessageButtonLayout& b : l.buttons) {
          EXPECT_TRUE(set.buttons.Contains(b.id));
          EXPECT_GT(static_cast<int>(b.id), previous) << "left to right in table order";
          previous = static_cast<int>(b.id);
          EXPECT_EQ(b.rect, (TDialogRect{x, kVertMargin + blockHeight + kVertSpacing, set.buttonWidth, kButtonHeight}));
          EXPECT_GE(b.rect.left, kHorzMargin);
          EXPECT_LE(b.rect.left + b.rect.width, l.clientWidth - kHorzMargin);
          x += set.buttonWidth + kButtonSpacing;
          EXPECT_EQ(b.isDefault, set.defaultName && b.name == set.defaultName) << b.name;
          EXPECT_EQ(b.isCancel, set.cancelName && b.name == set.cancelName) << b.name;
          defaults += b.isDefault;
          cancels += b.isCancel;
        }
        int shown = 0;
        for (size_t i = 0; i < kMessageButtonCount; ++i) shown += set.buttons.Contains(static_cast<B>(i));
        EXPECT_EQ(n, shown);
        EXPECT_EQ(defaults, set.defaultName ? 1 : 0);
        EXPECT_EQ(cancels, set.cancelName ? 1 : 0);
        // The left and right margins of the row differ by at most the pixel the halving drops.
        if (n > 0) {
          const int right = l.clientWidth - (l.buttons.back().rect.left + set.buttonWidth);
          EXPECT_LE(right - l.buttons.front().rect.left, 1);
          EXPECT_GE(right - l.buttons.front().rect.left, 0);
        }
      }
    }
  }
}

TEST(MessageDialogLayout, ConfirmationWithYesAndNoWorkedOutByHand) {
  Fake fake;
  TButtonWidths widths;
  TMessageLayoutInput in = fake.Input(TMsgDlgType::mtConfirmation, {B::mbYes, B::mbNo}, "Hi");
  TMessageLayout l = LayOutMessageDialog(in, widths);
  // Text 14 x 13 beside the icon: 14 + 32 + 18 = 64 wide, 32 high; the row is
  // 88 + 7 + 88 = 183 wide and sets the width.
  EXPECT_EQ(l.clientWidth, 183 + 28);
  EXPECT_EQ(l.clientHeight, 32 + 16 + 23 + 26);
  EXPECT_EQ(l.caption, "Confirmation");
  EXPECT_EQ(l.message, (TDialogRect{64, 13, 14, 13}));
  ASSERT_EQ(l.buttons.size(), 2u);
  EXPECT_EQ(l.buttons[0].rect, (TDialogRect{14, 61, 88, 23}));
  EXPECT_EQ(l.buttons[1].rect, (TDialogRect{109, 61, 88, 23}));
  EXPECT_EQ(l.buttons[0].caption, "&Oui");
  EXPECT_EQ(l.buttons[0].result, mrYes);
  EXPECT_EQ(l.buttons[1].result, mrNo);
  EXPECT_EQ(l.buttons[0].accelerator, 'O');
  EXPECT_EQ(l.buttons[1].accelerator, 'N');
  // Right to left, the text keeps its distance from the right edge instead.
  in.rightToLeft = true;
  l = LayOutMessageDialog(in, widths);
  EXPECT_EQ(l.message.left, 211 - 64 - 14);
  EXPECT_EQ(l.buttons[0].rect.left, 14);
}

TEST(MessageDialogLayout, TextLinesEndAtCarriageReturnsLineFeedsAndPairs) {
  Fake fake;
  TButtonWidths widths;
  const TMessageLayout l =
      LayOutMessageDialog(fake.Input(TMsgDlgType::mtCustom, {B::mbOK}, "a\rbb\ncc\r\nd\r\r\ne"), widths);
  EXPECT_EQ(l.lines, "a\nbb\ncc\nd\n\ne");
  EXPECT_EQ(l.message.height, 6 * kLineHeight);
  EXPECT_EQ(l.message.width, 2 * kCharWidth);
}

TEST(MessageDialogLayout, TheCustomKindTakesTheTitleCutTo255Units) {
  struct Case {
    std::string title, caption;
  };
  const std::string e = "\xC3\xA9";              // one unit in two bytes
  const std::string clef = "\xF0\x9D\x84\x9E";  // two units in four bytes
  const Case cases[] = {
      {"Korlit", "Korlit"},
      {std::string(300, 'k'), std::string(255, 'k')},
      {[&] {
         std::string s;
         for (int i = 0; i < 300; ++i) s += e;
         return s;
       }(),
       [&] {
         std::string s;
         for (int i = 0; i < 255; ++i) s += e;
         return s;
       }()},
      // A character of two units that would end at unit 256 stays out whole.
      {std::string(254, 'k') + clef + "k", std::string(254, 'k')},
      {std::string(253, 'k') + clef + "k", std::string(253, 'k') + clef},
  };
  for (const Case& c : cases) {
    Fake fake;
    TButtonWidths widths;
    TMessageLayoutInput in = fake.Input(TMsgDlgType::mtCustom, {B::mbOK}, "x");
    in.applicationTitle = c.title;
    EXPECT_EQ(LayOutMessageDialog(in, widths).caption, c.caption) << c.title.size();
  }
  const std::pair<TMsgDlgType, const char*> kinds[] = {{TMsgDlgType::mtWarning, "Avertissement"},
                                                       {TMsgDlgType::mtError, "Erreur"},
                                                       {TMsgDlgType::mtInformation, "Information"}};
  for (const auto& [kind, caption] : kinds) {
    Fake fake;
    TButtonWidths widths;
    EXPECT_EQ(LayOutMessageDialog(fake.Input(kind, {B::mbOK}, "x"), widths).caption, caption);
  }
}

TEST(MessageDialogLayout, AcceleratorsAreTheLetterAfterASingleAmpersand) {
  const std::pair<const char*, int> cases[] = {{"&Oui", 'O'}, {"I&gnorer", 'G'}, {"Non &pour tout", 'P'},
                                               {"OK", 0},     {"Fish && &Chips", 'C'}, {"a&&", 0}, {"x&", 0}};
  for (const auto& [caption, letter] : cases) EXPECT_EQ(AcceleratorLetter(caption), letter) << caption;
  for (size_t i = 0; i < kMessageButtonCount; ++i) {
    const TMessageButtonInfo& b = MessageButtonInfo(static_cast<B>(i));
    // Every caption but OK and Annuler marks a letter, and no two the same.
    const int letter = AcceleratorLetter(b.caption);
    EXPECT_EQ(letter == 0, std::string(b.name) == "OK" || std::string(b.name) == "Cancel") << b.name;
    for (size_t j = 0; j < i; ++j)
      if (letter) {
        EXPECT_NE(letter, AcceleratorLetter(MessageButtonInfo(static_cast<B>(j)).caption)) << b.name;
      }
  }
}

TEST(MessageDialogLayout, EachCaptionIsMeasuredOnceForTheLifeOfTheCache) {
  Fake fake;
  TButtonWidths widths;
  for (int i = 0; i < 3; ++i) LayOutMessageDialog(fake.Input(TMsgDlgType::mtWarning, {B::mbYes, B::mbNo}, "x"), widths);
  EXPECT_EQ(fake.captionMeasurements, 2);
  LayOutMessageDialog(fake.Input(TMsgDlgType::mtWarning, {B::mbYes, B::mbRetry}, "x"), widths);
  EXPECT_EQ(fake.captionMeasurements, 3);
  EXPECT_EQ(widths.Measurements(B::mbYes), 1);
  EXPECT_EQ(widths.Cached(B::mbRetry), 8 * kCharWidth + 8);
  EXPECT_EQ(widths.Cached(B::mbCancel), 0);
}
