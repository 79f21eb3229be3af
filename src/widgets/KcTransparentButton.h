#pragma once
// A flat picture button that draws only its glyph, caption and (when the
// style asks) a frame over its parent's background: grey until the mouse
// comes over it, pressed while held, with an optional drop-down menu.
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/CanvasTypes.h"

namespace kc {

enum class TKcFrameStyle { fsRegular, fsIndent, fsExplorer, fsNone, fsLight, fsDark, fsMono };
enum class TKcTextAlign {
  ttaTopLeft,
  ttaTop,
  ttaTopRight,
  ttaRight,
  ttaBottomRight,
  ttaBottom,
  ttaBottomLeft,
  ttaLeft,
  ttaCenter
};
// Which picture a button shows: one of the glyph's own images (up, disabled,
// down), the grey one made from the up image, or the made disabled one.
enum class TKcButtonImage { None, Up, Disabled, Down, Grey, MadeDisabled };

// The grey of a pixel as the button makes it.
inline int ButtonGrey(int r, int g, int b) { return (11 * r + 59 * g + 30 * b) / 100; }

class TKcTransparentButton : public QWidget {
  Q_OBJECT
public:
  using TNotifyEvent = std::function<void(TKcTransparentButton *)>;

  explicit TKcTransparentButton(QWidget *parent = nullptr);

  bool AutoGray() const { return FAutoGray; }
  void SetAutoGray(bool on) { FAutoGray = on, update(); }
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int w) { FBorderWidth = std::max(0, w), update(); }
  QString Caption() const { return FCaption; }
  void SetCaption(const QString &c);
  TColor Color() const { return FColor; }
  void SetColor(TColor c) { FColor = c, update(); }
  bool Down() const { return FDown; }
  void SetDown(bool on) { FDown = on, update(); }
  bool Flat() const { return FFlat; }
  void SetFlat(bool on) { FFlat = on, update(); }
  TKcFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TKcFrameStyle s) { FFrameStyle = s, update(); }
  const QImage &Glyph() const { return FGlyph; }
  void SetGlyph(const QImage &g);
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int n);
  int Offset() const { return FOffset; }
  void SetOffset(int o) { FOffset = o, update(); }
  bool ShowPressed() const { return FShowPressed; }
  void SetShowPressed(bool on) { FShowPressed = on, update(); }
  int Spacing() const { return FSpacing; }
  void SetSpacing(int s) { FSpacing = s, update(); }
  TKcTextAlign TextAlign() const { return FTextAlign; }
  void SetTextAlign(TKcTextAlign a) { FTextAlign = a, update(); }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool on) { FTransparent = on, update(); }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool on) { FWordWrap = on, update(); }
  QMenu *DropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(QMenu *m) { FDropDownMenu = m; }

  TNotifyEvent OnClick, OnMouseEnter, OnMouseExit;

  TKcButtonImage ImageShown() const;
  QImage Image(TKcButtonImage which) const;
  bool Pressed() const { return FPressed; }
  bool MouseInside() const { return FMouseInside; }
  // Where glyph and caption go by TextAlign.
  QRect GlyphRect() const;
  QRect TextRect() const;
  void Click();

protected:
  void paintEvent(QPaintEvent *) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseMoveEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;
  void enterEvent(QEnterEvent *e) override;
  void leaveEvent(QEvent *e) override;
  void changeEvent(QEvent *e) override;
  bool event(QEvent *e) override;

private:
  void makeImages();
  QSize glyphSize() const;
  QSize textSize() const;

  bool FAutoGray = true, FDown = false, FFlat = true, FShowPressed = true, FTransparent = true, FWordWrap = false;
  int FBorderWidth = 1, FNumGlyphs = 1, FOffset = 1, FSpacing = 2;
  QString FCaption;
  TColor FColor = clWindow;
  TKcFrameStyle FFrameStyle = TKcFrameStyle::fsExplorer;
  TKcTextAlign FTextAlign = TKcTextAlign::ttaCenter;
  QImage FGlyph;
  QPointer<QMenu> FDropDownMenu;
  std::vector<QImage> FImages; // the glyph's own images
  QImage FGrey, FDisabled;
  bool FPressed = false, FMouseInside = false, FShownDown = false;
  int FShortcutId = 0;
};

} // namespace kc
