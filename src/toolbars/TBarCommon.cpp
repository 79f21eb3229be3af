#include "toolbars/TBarCommon.h"

#include <QFontMetrics>

#include <optional>

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
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(12);
  return f;
}

void SetMenuFont(const QFont &Font) { g_menuFont = Font; }

} // namespace kc::tb
