#include "MessageDialogLayout.h"

#include <algorithm>
#include <cstdint>
#include <limits>

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t product = int64_t{a} * int64_t{b};
  const bool negative = (product < 0) != (c < 0);
  const int64_t magnitude = product < 0 ? -product : product;
  const int64_t divisor = c < 0 ? -int64_t{c} : int64_t{c};
  const int64_t rounded = (magnitude + divisor / 2) / divisor;
  if (rounded > std::numeric_limits<int>::max()) return -1;
  return static_cast<int>(negative ? -rounded : rounded);
}

int AverageCharWidth(int sampleWidth) { return sampleWidth / 52; }

namespace {

// In table order, which is also the order of TMsgDlgBtn and of the row.
constexpr std::array<TMessageButtonInfo, kMessageButtonCount> kButtons = {{
    {"Yes", "&Oui", mrYes},
    {"No", "&Non", mrNo},
    {"OK", "OK", mrOk},
    {"Cancel", "Annuler", mrCancel},
    {"Abort", "&Abandon", mrAbort},
    {"Retry", "&Retenter", mrRetry},
    {"Ignore", "I&gnorer", mrIgnore},
    {"All", "&Tout", mrAll},
    {"NoToAll", "Non &pour tout", mrNoToAll},
    {"YesToAll", "O&ui pour tout", mrYesToAll},
    {"Help", "A&ide", mrNone},
}};

const char* KindCaption(TMsgDlgType kind) {
  switch (kind) {
    case TMsgDlgType::mtWarning:
      return "Avertissement";
    case TMsgDlgType::mtError:
      return "Erreur";
    case TMsgDlgType::mtInformation:
      return "Information";
    case TMsgDlgType::mtConfirmation:
      return "Confirmation";
    case TMsgDlgType::mtCustom:
      break;
  }
  return nullptr;
}

// The longest prefix of UTF-8 text that takes at most `units` UTF-16 units; a
// character outside the basic plane takes two and is kept whole or not at all.
std::string CutToUtf16Units(const std::string& text, int units) {
  size_t i = 0;
  int used = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t bytes = 1;
    int cost = 1;
    if (lead >= 0xF0) {
      bytes = 4;
      cost = 2;
    } else if (lead >= 0xE0) {
      bytes = 3;
    } else if (lead >= 0xC0) {
      bytes = 2;
    }
    if (used + cost > units) break;
    used += cost;
    i = std::min(text.size(), i + bytes);
  }
  return text.substr(0, i);
}

}  // namespace

const TMessageButtonInfo& MessageButtonInfo(TMsgDlgBtn button) { return kButtons[static_cast<size_t>(button)]; }

int AcceleratorLetter(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    const char c = caption[i + 1];
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : static_cast<unsigned char>(c);
  }
  return 0;
}

std::string MessageLines(const std::string& text) {
  std::string lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      lines += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      lines += text[i];
    }
  }
  return lines;
}

int TButtonWidths::Width(TMsgDlgBtn button, const Measure& captionWidth) {
  const auto i = static_cast<size_t>(button);
  if (widths_[i] == 0) {
    widths_[i] = captionWidth(kButtons[i].caption) + 8;
    ++measurements_[i];
  }
  return widths_[i];
}

TMessageLayout LayOutMessageDialog(const TMessageLayoutInput& in, TButtonWidths& widths) {
  TMessageLayout out;
  const int cw = in.charWidth;
  const int ch = in.charHeight;
  const int horzMargin = MulDiv(8, cw, 4);
  const int vertMargin = MulDiv(8, ch, 8);
  const int horzSpacing = MulDiv(10, cw, 4);
  const int vertSpacing = MulDiv(10, ch, 8);
  const int buttonSpacing = MulDiv(4, cw, 4);
  const int buttonHeight = MulDiv(14, ch, 8);

  int buttonWidth = MulDiv(50, cw, 4);
  int buttonCount = 0;
  for (size_t i = 0; i < kMessageButtonCount; ++i) {
    const auto b = static_cast<TMsgDlgBtn>(i);
    if (!in.buttons.Contains(b)) continue;
    ++buttonCount;
    buttonWidth = std::max(buttonWidth, widths.Width(b, in.captionWidth));
  }

  out.lines = MessageLines(in.text);
  const TTextExtent text = in.textExtent(out.lines, in.screenWidth / 2);
  const int tw = text.width;
  const int th = text.height;

  out.hasIcon = in.kind != TMsgDlgType::mtCustom;
  int iw = tw;
  int ih = th;
  if (out.hasIcon) {
    iw = tw + 32 + horzSpacing;
    if (th < 32) ih = 32;
  }
  const int bw = buttonCount == 0 ? 0 : buttonCount * buttonWidth + (buttonCount - 1) * buttonSpacing;
  out.clientWidth = std::max(iw, bw) + 2 * horzMargin;
  out.clientHeight = ih + buttonHeight + vertSpacing + 2 * vertMargin;

  const char* kindCaption = KindCaption(in.kind);
  out.caption = kindCaption ? kindCaption : CutToUtf16Units(in.applicationTitle, kMaxCaptionUnits);

  if (out.hasIcon) out.icon = {horzMargin, vertMargin, 32, 32};
  int messageLeft = iw - tw + horzMargin;
  if (in.rightToLeft) messageLeft = out.clientWidth - messageLeft - tw;
  out.message = {messageLeft, vertMargin, tw, th};

  const TMsgDlgBtn defaultId = in.buttons.Contains(TMsgDlgBtn::mbOK)    ? TMsgDlgBtn::mbOK
                               : in.buttons.Contains(TMsgDlgBtn::mbYes) ? TMsgDlgBtn::mbYes
                                                                        : TMsgDlgBtn::mbRetry;
  const TMsgDlgBtn cancelId = in.buttons.Contains(TMsgDlgBtn::mbCancel) ? TMsgDlgBtn::mbCancel
                              : in.buttons.Contains(TMsgDlgBtn::mbNo)   ? TMsgDlgBtn::mbNo
                                                                        : TMsgDlgBtn::mbOK;
  int x = (out.clientWidth - bw) / 2;
  const int y = ih + vertMargin + vertSpacing;
  for (size_t i = 0; i < kMessageButtonCount; ++i) {
    const auto id = static_cast<TMsgDlgBtn>(i);
    if (!in.buttons.Contains(id)) continue;
    out.buttons.push_back({id, kButtons[i].name, kButtons[i].caption, kButtons[i].result,
                           TDialogRect{x, y, buttonWidth, buttonHeight}, id == defaultId, id == cancelId,
                           AcceleratorLetter(kButtons[i].caption)});
    x += buttonWidth + buttonSpacing;
  }
  return out;
}
