#include "toolbars/TBarCommon.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegion>

#include <optional>

#include "platform/TbSystemSettings.h"

namespace kc::tb {

int DivRoundUp(int A, int B) {
  int q = A / B;
  if (A % B != 0) q += q < 0 ? -1 : 1;
  return q;
}

QChar FindAccelChar(const QString &Text) {
  QChar found;
  for (int i = 0; i < Text.size(); ++i) {
    if (Text[i] != u'&') continue;
    if (i + 1 >= Text.size()) break;
    if (Text[i + 1] == u'&') {
      ++i;
      continue;
    }
    found = Text[i + 1];
  }
  return found;
}

QString StripAccelChars(const QString &Text) {
  QString out;
  out.reserve(Text.size());
  for (int i = 0; i < Text.size(); ++i) {
    if (Text[i] == u'&') {
      if (i + 1 < Text.size() && Text[i + 1] == u'&') {
        out += u'&';
        ++i;
      }
      continue;
    }
    out += Text[i];
  }
  return out;
}

int AccelCharPos(const QString &Text) {
  int pos = -1, shown = 0;
  for (int i = 0; i < Text.size(); ++i) {
    if (Text[i] == u'&') {
      if (i + 1 < Text.size() && Text[i + 1] == u'&') {
        ++shown;
        ++i;
      } else if (i + 1 < Text.size()) {
        pos = shown;
      }
      continue;
    }
    ++shown;
  }
  return pos;
}

int TBFontMetrics::Height() const {
  QFontMetrics fm(font_);
  return fm.ascent() + fm.descent();
}

int TBFontMetrics::ExternalLeading() const { return std::max(0, QFontMetrics(font_).leading()); }

int TBFontMetrics::TextWidth(const QString &Text, bool Prefix) const {
  return QFontMetrics(font_).horizontalAdvance(Prefix ? StripAccelChars(Text) : Text);
}

namespace {
std::optional<QFont> g_menuFont;
}

QFont MenuFont() {
  if (g_menuFont) return *g_menuFont;
  return kc::tbMenuFont();
}

void SetMenuFont(const QFont &Font) { g_menuFont = Font; }

void ResetMenuFont() { g_menuFont.reset(); }

namespace {
bool g_menuHints = true;
} // namespace

bool MenuHintsShown() { return g_menuHints; }

void SetMenuHintsShown(bool On) { g_menuHints = On; }

namespace {

QRegion Outline(const QRect &R, QSize Size) {
  if (R.isEmpty()) return {};
  return QRegion(R).subtracted(QRegion(R.adjusted(Size.width(), Size.height(), -Size.width(), -Size.height())));
}

void InvertRegion(QPainter &P, const QRegion &Region, const QBrush &Brush) {
  if (Region.isEmpty()) return;
  P.save();
  P.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  P.setBrushOrigin(0, 0);
  P.setClipRegion(Region);
  P.fillRect(Region.boundingRect(), Brush);
  P.restore();
}

} // namespace

void DrawInvertRect(QPainter &P, const QRect *NewRect, const QRect *OldRect, QSize NewSize, QSize OldSize,
                    const QBrush &NewBrush, const QBrush &OldBrush) {
  const QRegion newOutline = NewRect ? Outline(*NewRect, NewSize) : QRegion();
  const QRegion oldOutline = OldRect ? Outline(*OldRect, OldSize) : QRegion();
  if (NewBrush == OldBrush) {
    // Where the two frames overlap the pixels would be inverted twice:
    // leave them alone and touch the rest once.
    InvertRegion(P, newOutline.xored(oldOutline), NewBrush);
    return;
  }
  InvertRegion(P, oldOutline, OldBrush);
  InvertRegion(P, newOutline, NewBrush);
}

QBrush HalftoneBrush() {
  // Rows 0x55 and 0xAA in turn: a set bit inverts, the leftmost pixel is the
  // high bit.
  QImage pattern(8, 8, QImage::Format_RGB32);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const int bits = y % 2 == 0 ? 0x55 : 0xAA;
      pattern.setPixel(x, y, bits & (0x80 >> x) ? 0xFFFFFFFFu : 0xFF000000u);
    }
  return QBrush(pattern);
}

void DrawHalftoneInvertRect(QPainter &P, const QRect *NewRect, const QRect *OldRect, QSize NewSize, QSize OldSize) {
  const QBrush brush = HalftoneBrush();
  DrawInvertRect(P, NewRect, OldRect, NewSize, OldSize, brush, brush);
}

} // namespace kc::tb
