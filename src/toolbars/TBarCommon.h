#pragma once
// Small services of the toolbar family: caption accelerators, text measuring
// through a font, rounding division.
#include <QFont>
#include <QString>

namespace kc::tb {

// The quotient rounded away from zero whenever there is a remainder.
int DivRoundUp(int A, int B);

// The character after the last single "&" ("&&" is a literal ampersand), or
// 0 when there is none.
QChar FindAccelChar(const QString &Text);
// The caption as shown: single "&" removed, "&&" shown as one "&".
QString StripAccelChars(const QString &Text);
// Index in StripAccelChars(Text) of the underlined character, or -1.
int AccelCharPos(const QString &Text);

// The font metrics the layout measures with: the text height (ascent plus
// descent), the external leading and text widths. Tests pin these numbers.
class TBTextMetrics {
public:
  virtual ~TBTextMetrics() = default;
  virtual int Height() const = 0;
  virtual int ExternalLeading() const = 0;
  // Width of Text; with Prefix the accelerator markers do not count.
  virtual int TextWidth(const QString &Text, bool Prefix) const = 0;
};

class TBFontMetrics final : public TBTextMetrics {
public:
  explicit TBFontMetrics(const QFont &Font) : font_(Font) {}
  int Height() const override;
  int ExternalLeading() const override;
  int TextWidth(const QString &Text, bool Prefix) const override;

private:
  QFont font_;
};

// The font of menus when nothing else is given (a fixed family and size,
// so pictures do not depend on the desktop).
QFont MenuFont();
void SetMenuFont(const QFont &Font);

} // namespace kc::tb
