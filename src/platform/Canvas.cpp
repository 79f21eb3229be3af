#include "platform/Canvas.h"

#include <QChar>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <array>
#include <atomic>

namespace kc {

namespace {

// The classic Windows scheme: the colours until the desktop's palette
// replaces them.
constexpr TColor kSysColors[kSysColorCount] = {
    RGB(212, 208, 200), // scroll bar
    RGB(58, 110, 165),  // desktop
    RGB(10, 36, 106),   // active caption
    RGB(128, 128, 128), // inactive caption
    RGB(212, 208, 200), // menu
    RGB(255, 255, 255), // window
    RGB(0, 0, 0),       // window frame
    RGB(0, 0, 0),       // menu text
    RGB(0, 0, 0),       // window text
    RGB(255, 255, 255), // caption text
    RGB(212, 208, 200), // active border
    RGB(212, 208, 200), // inactive border
    RGB(128, 128, 128), // application workspace
    RGB(10, 36, 106),   // highlight
    RGB(255, 255, 255), // highlight text
    RGB(212, 208, 200), // button face
    RGB(128, 128, 128), // button shadow
    RGB(128, 128, 128), // grey text
    RGB(0, 0, 0),       // button text
    RGB(212, 208, 200), // inactive caption text
    RGB(255, 255, 255), // button highlight
    RGB(64, 64, 64),    // 3-D dark shadow
    RGB(212, 208, 200), // 3-D light
    RGB(0, 0, 0),       // info text
    RGB(255, 255, 225), // info background
    RGB(181, 181, 181), // (unused slot)
    RGB(0, 0, 128),     // hot light
    RGB(166, 202, 240), // gradient active caption
    RGB(192, 192, 192), // gradient inactive caption
    RGB(10, 36, 106),   // menu highlight
    RGB(212, 208, 200), // menu bar
};

std::atomic<int> g_screenPpi{0};

// The colours in force; painting may read them from any thread.
struct SysColorTable {
  std::array<std::atomic<TColor>, kSysColorCount> Colors;
  SysColorTable() {
    for (int i = 0; i < kSysColorCount; ++i) Colors[i] = kSysColors[i];
  }
};
// Made on first use, so static tables of other files may read it.
std::array<std::atomic<TColor>, kSysColorCount> &sysColors() {
  static SysColorTable table;
  return table.Colors;
}

} // namespace

TColor GetSysColor(int index) {
  if (index < 0 || index >= kSysColorCount) return clBlack;
  return sysColors()[index].load(std::memory_order_relaxed);
}

void SetSysColor(int index, TColor value) {
  if (index < 0 || index >= kSysColorCount || isSysColor(value)) return;
  sysColors()[index].store(value & 0xFFFFFF, std::memory_order_relaxed);
}

void ResetSysColors() {
  for (int i = 0; i < kSysColorCount; ++i) sysColors()[i].store(kSysColors[i], std::memory_order_relaxed);
}

TColor ClassicSysColor(int index) {
  if (index < 0 || index >= kSysColorCount) return clBlack;
  return kSysColors[index];
}

TColor ColorToRGB(TColor c) {
  if (isSysColor(c)) return GetSysColor(c & 0xFF);
  if (c == clNone || c == clDefault) return clBlack;
  return c & 0xFFFFFF;
}

int screenPixelsPerInch() {
  int v = g_screenPpi.load();
  if (v > 0) return v;
  if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
    if (QScreen *s = QGuiApplication::primaryScreen()) {
      int dpi = static_cast<int>(s->logicalDotsPerInchY() + 0.5);
      if (dpi >= 48 && dpi <= 960) return dpi;
    }
  }
  return 96;
}

void setScreenPixelsPerInch(int ppi) { g_screenPpi = ppi > 0 ? ppi : 0; }

int FontHeightOfSize(int points) { return -MulDiv(points, screenPixelsPerInch(), 72); }

int FontSizeOfHeight(int height) { return -MulDiv(height, 72, screenPixelsPerInch()); }

std::uint8_t FontStylesOf(const TLogFont &lf) {
  std::uint8_t s = 0;
  if (lf.lfWeight >= 700) s |= fsBold;
  if (lf.lfItalic) s |= fsItalic;
  if (lf.lfUnderline) s |= fsUnderline;
  if (lf.lfStrikeOut) s |= fsStrikeOut;
  return s;
}

void SetFontStyles(TLogFont &lf, std::uint8_t styles) {
  lf.lfWeight = (styles & fsBold) ? 700 : 400;
  lf.lfItalic = (styles & fsItalic) ? 1 : 0;
  lf.lfUnderline = (styles & fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = (styles & fsStrikeOut) ? 1 : 0;
}

void TCanvas::textVerticalExtent(std::string_view, int &ascent, int &descent) {
  const TextMetrics tm = textMetrics();
  ascent = tm.tmAscent;
  descent = tm.tmDescent;
}

void TCanvas::textVerticalExtentW(std::u16string_view, int &ascent, int &descent) {
  const TextMetrics tm = textMetrics();
  ascent = tm.tmAscent;
  descent = tm.tmDescent;
}

void SimpleBidiOrder(std::u16string_view text, bool rtlParagraph, std::vector<int> &order,
                     std::vector<std::uint8_t> &classes) {
  enum Kind { kL, kR, kNum, kNeutral };
  const size_t n = text.size();
  std::vector<Kind> kind(n);
  classes.assign(n, GCPCLASS_NEUTRAL);
  for (size_t i = 0; i < n; ++i) {
    switch (QChar(text[i]).direction()) {
    case QChar::DirL:
      kind[i] = kL;
      classes[i] = GCPCLASS_LATIN;
      break;
    case QChar::DirR:
    case QChar::DirAL:
      kind[i] = kR;
      classes[i] = GCPCLASS_RTL;
      break;
    case QChar::DirEN:
    case QChar::DirAN:
      kind[i] = kNum;
      classes[i] = GCPCLASS_LOCALNUMBER;
      break;
    default: kind[i] = kNeutral; break;
    }
  }
  const int base = rtlParagraph ? 1 : 0;
  std::vector<int> level(n, base);
  // Strong directions first, numbers by the strong character before them.
  int prevStrong = base; // 0 left-to-right, 1 right-to-left
  for (size_t i = 0; i < n; ++i) {
    if (kind[i] == kL) {
      level[i] = base == 0 ? 0 : 2;
      prevStrong = 0;
    } else if (kind[i] == kR) {
      level[i] = 1;
      prevStrong = 1;
    } else if (kind[i] == kNum) {
      level[i] = (prevStrong == 1 || base == 1) ? 2 : 0;
    }
  }
  // Neutrals between two characters of one direction take it.
  for (size_t i = 0; i < n;) {
    if (kind[i] != kNeutral) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < n && kind[j] == kNeutral) ++j;
    int before = i == 0 ? base : (kind[i - 1] == kR ? 1 : (kind[i - 1] == kNum ? 1 : 0));
    int after = j == n ? base : (kind[j] == kR ? 1 : (kind[j] == kNum ? 1 : 0));
    if (i > 0 && kind[i - 1] == kNum) before = prevStrong;
    if (j < n && kind[j] == kNum) after = before;
    int lv = before == after ? (before == 1 ? 1 : (base == 0 ? 0 : 2)) : base;
    for (size_t k = i; k < j; ++k) level[k] = lv;
    i = j;
  }
  std::vector<int> visual(n);
  for (size_t i = 0; i < n; ++i) visual[i] = static_cast<int>(i);
  int maxLevel = n ? *std::max_element(level.begin(), level.end()) : 0;
  for (int lv = maxLevel; lv >= 1; --lv) {
    for (size_t i = 0; i < n;) {
      if (level[static_cast<size_t>(visual[i])] < lv) {
        ++i;
        continue;
      }
      size_t j = i;
      while (j < n && level[static_cast<size_t>(visual[j])] >= lv) ++j;
      std::reverse(visual.begin() + static_cast<long>(i), visual.begin() + static_cast<long>(j));
      i = j;
    }
  }
  order.assign(n, 0);
  for (size_t v = 0; v < n; ++v) order[static_cast<size_t>(visual[v])] = static_cast<int>(v);
}

} // namespace kc
