#pragma once
// Small services of the toolbar family: caption accelerators, text measuring
// through a font, rounding division.
#include <QBrush>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

class QPainter;

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

// The font of menus when nothing else is given: the one the program set,
// else the desktop's menu font.
QFont MenuFont();
void SetMenuFont(const QFont &Font);
// Back to the desktop's menu font.
void ResetMenuFont();

// The program's "show hints" switch: popup menus show the hints of their
// items only while it is on (on by default).
bool MenuHintsShown();
void SetMenuHintsShown(bool On);

// The drag outline: the frame of a rectangle, Size wide (across) and high
// (down), inverted by XOR with a brush so that drawing it twice leaves the
// screen as it was. Moving it inverts the old and the new frame in one go,
// so only their difference changes; a null rectangle stands for none.
void DrawInvertRect(QPainter &P, const QRect *NewRect, const QRect *OldRect, QSize NewSize, QSize OldSize,
                    const QBrush &NewBrush, const QBrush &OldBrush);
// The same with the halftone brush (every other pixel, alternating rows).
void DrawHalftoneInvertRect(QPainter &P, const QRect *NewRect, const QRect *OldRect, QSize NewSize, QSize OldSize);
QBrush HalftoneBrush();

} // namespace kc::tb
