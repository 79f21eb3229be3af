#include "widgets/KcTransparentButton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

#include "widgets/KcDraw.h"

namespace kc {

TKcTransparentButton::TKcTransparentButton(QWidget *parent) : QWidget(parent) {
  resize(40, 40);
  setAttribute(Qt::WA_Hover);
}

void TKcTransparentButton::SetCaption(const QString &c) {
  FCaption = c;
  if (FShortcutId) releaseShortcut(FShortcutId);
  FShortcutId = 0;
  const QKeySequence mnemonic = QKeySequence::mnemonic(c);
  if (!mnemonic.isEmpty()) FShortcutId = grabShortcut(mnemonic, Qt::WindowShortcut);
  update();
}

void TKcTransparentButton::SetGlyph(const QImage &g) {
  FGlyph = g;
  makeImages();
  update();
}

void TKcTransparentButton::SetNumGlyphs(int n) {
  FNumGlyphs = std::clamp(n, 1, 4);
  makeImages();
  update();
}

void TKcTransparentButton::makeImages() {
  FImages.clear();
  FGrey = FDisabled = QImage();
  if (FGlyph.isNull()) return;
  const QImage src = FGlyph.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = src.pixel(0, src.height() - 1) | 0xFF000000u; // the bitmap's transparent colour
  const int w = src.width() / FNumGlyphs;
  if (w <= 0) return;
  for (int i = 0; i < FNumGlyphs; ++i) {
    QImage part = src.copy(i * w, 0, w, src.height());
    for (int y = 0; y < part.height(); ++y)
      for (int x = 0; x < part.width(); ++x)
        if ((part.pixel(x, y) | 0xFF000000u) == key) part.setPixel(x, y, 0u);
    FImages.push_back(part);
  }
  const QImage &up = FImages[0];
  FGrey = up;
  FDisabled = QImage(up.size(), QImage::Format_ARGB32);
  FDisabled.fill(0u);
  const QRgb light = QColorOf(clBtnHighlight).rgb(), dark = QColorOf(clBtnShadow).rgb();
  for (int y = 0; y < up.height(); ++y)
    for (int x = 0; x < up.width(); ++x) {
      const QRgb p = up.pixel(x, y);
      if (qAlpha(p) == 0) continue;
      const int grey = ButtonGrey(qRed(p), qGreen(p), qBlue(p));
      FGrey.setPixel(x, y, qRgb(grey, grey, grey));
      // The embossed shape of everything but white.
      if ((p | 0xFF000000u) == 0xFFFFFFFFu) continue;
      if (x + 1 < up.width() && y + 1 < up.height() && qAlpha(FDisabled.pixel(x + 1, y + 1)) == 0)
        FDisabled.setPixel(x + 1, y + 1, light);
      FDisabled.setPixel(x, y, dark);
    }
}

TKcButtonImage TKcTransparentButton::ImageShown() const {
  if (FImages.empty()) return TKcButtonImage::None;
  if (!isEnabled()) return FNumGlyphs >= 2 ? TKcButtonImage::Disabled : TKcButtonImage::MadeDisabled;
  if (FNumGlyphs >= 3 && (FShownDown || FDown)) return TKcButtonImage::Down;
  if ((FFlat || FFrameStyle == TKcFrameStyle::fsExplorer) && FAutoGray && !FMouseInside && !FDown)
    return TKcButtonImage::Grey;
  return TKcButtonImage::Up;
}

QImage TKcTransparentButton::Image(TKcButtonImage which) const {
  switch (which) {
  case TKcButtonImage::Up: return FImages.empty() ? QImage() : FImages[0];
  case TKcButtonImage::Disabled: return FImages.size() > 1 ? FImages[1] : QImage();
  case TKcButtonImage::Down: return FImages.size() > 2 ? FImages[2] : QImage();
  case TKcButtonImage::Grey: return FGrey;
  case TKcButtonImage::MadeDisabled: return FDisabled;
  case TKcButtonImage::None: break;
  }
  return {};
}

QSize TKcTransparentButton::glyphSize() const { return FImages.empty() ? QSize() : FImages[0].size(); }

QSize TKcTransparentButton::textSize() const {
  if (FCaption.isEmpty()) return {};
  const QFontMetrics fm(font());
  const QString text = QString(FCaption).remove('&');
  if (!FWordWrap) return QSize(fm.horizontalAdvance(text), fm.height());
  return fm.boundingRect(QRect(0, 0, std::max(1, width() - 2 * FSpacing), 10000), Qt::TextWordWrap, text).size();
}

namespace {
// The place of a box of size s at one of the nine spots of the area.
QRect placeAt(TKcTextAlign a, const QRect &area, QSize s) {
  int x = area.left() + (area.width() - s.width()) / 2, y = area.top() + (area.height() - s.height()) / 2;
  switch (a) {
  case TKcTextAlign::ttaTopLeft: x = area.left(), y = area.top(); break;
  case TKcTextAlign::ttaTop: y = area.top(); break;
  case TKcTextAlign::ttaTopRight: x = area.right() + 1 - s.width(), y = area.top(); break;
  case TKcTextAlign::ttaRight: x = area.right() + 1 - s.width(); break;
  case TKcTextAlign::ttaBottomRight: x = area.right() + 1 - s.width(), y = area.bottom() + 1 - s.height(); break;
  case TKcTextAlign::ttaBottom: y = area.bottom() + 1 - s.height(); break;
  case TKcTextAlign::ttaBottomLeft: x = area.left(), y = area.bottom() + 1 - s.height(); break;
  case TKcTextAlign::ttaLeft: x = area.left(); break;
  case TKcTextAlign::ttaCenter: break;
  }
  return QRect(QPoint(x, y), s);
}

TKcTextAlign opposite(TKcTextAlign a) {
  switch (a) {
  case TKcTextAlign::ttaTopLeft: return TKcTextAlign::ttaBottomRight;
  case TKcTextAlign::ttaTop: return TKcTextAlign::ttaBottom;
  case TKcTextAlign::ttaTopRight: return TKcTextAlign::ttaBottomLeft;
  case TKcTextAlign::ttaRight: return TKcTextAlign::ttaLeft;
  case TKcTextAlign::ttaBottomRight: return TKcTextAlign::ttaTopLeft;
  case TKcTextAlign::ttaBottom: return TKcTextAlign::ttaTop;
  case TKcTextAlign::ttaBottomLeft: return TKcTextAlign::ttaTopRight;
  case TKcTextAlign::ttaLeft: return TKcTextAlign::ttaRight;
  case TKcTextAlign::ttaCenter: return TKcTextAlign::ttaCenter;
  }
  return a;
}
} // namespace

QRect TKcTransparentButton::TextRect() const {
  return placeAt(FTextAlign, rect().adjusted(FSpacing, FSpacing, -FSpacing, -FSpacing), textSize());
}

QRect TKcTransparentButton::GlyphRect() const {
  return placeAt(opposite(FTextAlign), rect().adjusted(FSpacing, FSpacing, -FSpacing, -FSpacing), glyphSize());
}

void TKcTransparentButton::paintEvent(QPaintEvent *) {
  QPainter p(this);
  const bool sunk = FShownDown || FDown;
  if (!FTransparent) p.fillRect(rect(), QColorOf(FColor));
  if (FDown && FMouseInside) {
    // The face of a held-down button under the mouse: a dither.
    QImage dither(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) dither.setPixel(x, y, (x % 2) == (y % 2) ? 0xFFFFFFFFu : QColorOf(clBtnFace).rgb());
    p.fillRect(rect(), QBrush(dither));
  }
  const bool showFrame = FFrameStyle != TKcFrameStyle::fsNone && (!FFlat || FMouseInside || FDown);
  if (showFrame) {
    QColor hi = QColorOf(clBtnHighlight), sh = QColorOf(clBtnShadow);
    switch (FFrameStyle) {
    case TKcFrameStyle::fsIndent: std::swap(hi, sh); break;
    case TKcFrameStyle::fsLight: sh = QColorOf(clBtnFace); break;
    case TKcFrameStyle::fsDark: hi = QColorOf(clBtnShadow), sh = QColorOf(cl3DDkShadow); break;
    case TKcFrameStyle::fsMono: hi = sh = QColorOf(clBlack); break;
    default: break;
    }
    if (sunk) std::swap(hi, sh);
    QRect r = rect();
    Frame3D(p, r, hi, sh, FBorderWidth);
  }
  const int shift = (FShownDown && FShowPressed) || FDown ? FOffset : 0;
  const QImage img = Image(ImageShown());
  if (!img.isNull()) p.drawImage(GlyphRect().topLeft() + QPoint(shift, shift), img);
  if (!FCaption.isEmpty()) {
    p.setPen(QColorOf(isEnabled() ? clBtnText : clGrayText));
    const int flags = Qt::TextShowMnemonic | (FWordWrap ? Qt::TextWordWrap : Qt::TextSingleLine) | Qt::AlignCenter;
    p.drawText(TextRect().translated(shift, shift), flags, FCaption);
  }
}

void TKcTransparentButton::Click() {
  if (isEnabled() && OnClick) OnClick(this);
}

void TKcTransparentButton::mousePressEvent(QMouseEvent *e) {
  if (!isEnabled()) return;
  FPressed = true;
  FShownDown = true;
  update();
  if (FDropDownMenu && e->button() == Qt::LeftButton) {
    FDropDownMenu->popup(mapToGlobal(rect().bottomLeft() + QPoint(0, 1)));
    FPressed = false;
    FShownDown = false;
    update();
  }
}

void TKcTransparentButton::mouseMoveEvent(QMouseEvent *e) {
  if (!FPressed) return;
  const bool inside = rect().contains(e->position().toPoint());
  if (inside != FShownDown) {
    FShownDown = inside;
    update();
  }
}

void TKcTransparentButton::mouseReleaseEvent(QMouseEvent *e) {
  if (!FPressed) return;
  FPressed = false;
  const bool inside = rect().contains(e->position().toPoint());
  FShownDown = false;
  update();
  if (inside) Click();
}

void TKcTransparentButton::enterEvent(QEnterEvent *e) {
  FMouseInside = true;
  if (OnMouseEnter) OnMouseEnter(this);
  update();
  QWidget::enterEvent(e);
}

void TKcTransparentButton::leaveEvent(QEvent *e) {
  FMouseInside = false;
  if (OnMouseExit) OnMouseExit(this);
  update();
  QWidget::leaveEvent(e);
}

void TKcTransparentButton::changeEvent(QEvent *e) {
  if (e->type() == QEvent::EnabledChange && !isEnabled()) {
    FPressed = FShownDown = FMouseInside = false;
    update();
  }
  QWidget::changeEvent(e);
}

bool TKcTransparentButton::event(QEvent *e) {
  if (e->type() == QEvent::Shortcut && static_cast<QShortcutEvent *>(e)->shortcutId() == FShortcutId) {
    Click();
    return true;
  }
  return QWidget::event(e);
}

} // namespace kc
