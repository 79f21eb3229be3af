// Painting of items in the four looks: classic (no skin), OfficeXP (flat
// fills and frames), WindowsXP (rounded fills) and native (drawn as
// WindowsXP: the desktop gives no theme parts to draw with).
#include <QPainterPath>
#include <QPolygon>

#include <vector>

#include "platform/ReadableColour.h"
#include "platform/TbSystemSettings.h"
#include "toolbars/TBSkinShared.h"
#include "toolbars/TBarItemViewer.h"
#include "toolbars/TBarView.h"

namespace kc::tb {

namespace {

QColor Sys(TColor c) { return ToQColor(c); }

void FrameRect(QPainter &P, const QRect &R, const QColor &C) {
  if (R.width() <= 0 || R.height() <= 0) return;
  P.fillRect(QRect(R.left(), R.top(), R.width(), 1), C);
  P.fillRect(QRect(R.left(), R.bottom(), R.width(), 1), C);
  P.fillRect(QRect(R.left(), R.top(), 1, R.height()), C);
  P.fillRect(QRect(R.right(), R.top(), 1, R.height()), C);
}

// One-pixel edge: TopLeft colour on the top and left, BottomRight on the others.
void Edge(QPainter &P, const QRect &R, const QColor &TopLeft, const QColor &BottomRight) {
  if (R.width() <= 0 || R.height() <= 0) return;
  P.fillRect(QRect(R.left(), R.top(), R.width(), 1), TopLeft);
  P.fillRect(QRect(R.left(), R.top(), 1, R.height()), TopLeft);
  P.fillRect(QRect(R.left(), R.bottom(), R.width(), 1), BottomRight);
  P.fillRect(QRect(R.right(), R.top(), 1, R.height()), BottomRight);
}

void RaisedInner(QPainter &P, const QRect &R) { Edge(P, R, Sys(clBtnHighlight), Sys(clBtnShadow)); }
void SunkenOuter(QPainter &P, const QRect &R) { Edge(P, R, Sys(clBtnShadow), Sys(clBtnHighlight)); }

void Dither(QPainter &P, const QRect &R) {
  P.fillRect(R, Sys(clBtnFace));
  P.fillRect(R, QBrush(Sys(clBtnHighlight), Qt::Dense4Pattern));
}

// Text with its accelerator underlined; Align as for QPainter::drawText.
void DrawCaption(QPainter &P, const QRect &R, const QString &Caption, int Align, bool ShowAccel, const QColor &C) {
  const QString text = StripAccelChars(Caption);
  P.setPen(C);
  QRect bounds;
  P.drawText(R, Align | Qt::TextSingleLine, text, &bounds);
  const int pos = AccelCharPos(Caption);
  if (ShowAccel && pos >= 0 && pos < text.size()) {
    const QFontMetrics fm(P.font());
    const int x0 = bounds.left() + fm.horizontalAdvance(text.left(pos));
    const int x1 = x0 + fm.horizontalAdvance(text.mid(pos, 1));
    const int y = bounds.top() + fm.ascent() + 1;
    P.fillRect(QRect(x0, y, std::max(1, x1 - x0), 1), C);
  }
}

void DrawDisabledCaption(QPainter &P, const QRect &R, const QString &Caption, int Align, bool ShowAccel, bool Skinned,
                         bool UseDisabledShadow) {
  if (Skinned && !UseDisabledShadow) {
    DrawCaption(P, R, Caption, Align, ShowAccel, Sys(clBtnShadow));
    return;
  }
  DrawCaption(P, R.translated(1, 1), Caption, Align, ShowAccel, Sys(clBtnHighlight));
  DrawCaption(P, R, Caption, Align, ShowAccel, Sys(clBtnShadow));
}

void FillTriangle(QPainter &P, const QPolygon &Poly, const QColor &C) {
  P.save();
  P.setRenderHint(QPainter::Antialiasing, false);
  P.setPen(C);
  P.setBrush(C);
  P.drawPolygon(Poly);
  P.restore();
}

void Triangle(QPainter &P, const QPolygon &Poly, bool Enabled, const QColor &Fg) {
  if (Enabled) {
    FillTriangle(P, Poly, Fg);
    return;
  }
  FillTriangle(P, Poly.translated(1, 1), Sys(clBtnHighlight));
  FillTriangle(P, Poly, Sys(clBtnShadow));
}

// Pictures are drawn for light faces: on a face where their dark outlines
// cannot be read (a dark desktop palette), a light rim follows every dark
// pixel so the shape stands out; colours and light parts stay as they are.
bool DarkFace() { return ContrastRatio(Sys(clBtnFace), Qt::black) < 3.0; }

void DrawRim(QPainter &P, const QImage &Img, QPoint At) {
  const QImage src = Img.convertToFormat(QImage::Format_ARGB32);
  QImage rim(src.size(), QImage::Format_ARGB32);
  rim.setDevicePixelRatio(Img.devicePixelRatio());
  rim.fill(Qt::transparent);
  bool any = false;
  for (int y = 0; y < src.height(); ++y)
    for (int x = 0; x < src.width(); ++x) {
      const QRgb c = src.pixel(x, y);
      if (qAlpha(c) > 127 && qGray(c) < 112) {
        rim.setPixel(x, y, qRgba(224, 224, 224, 200));
        any = true;
      }
    }
  if (!any) return;
  for (const QPoint d : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)}) P.drawImage(At + d, rim);
}

void DrawImage(QPainter &P, TCustomImageList *Il, int Index, QPoint At, bool Enabled) {
  if (!Il || !Il->ValidIndex(Index)) return;
  QImage img = Il->GetImage(Index, P.device()->devicePixelRatioF());
  if (!Enabled) {
    // Greyed: every opaque pixel in the shadow colour with a highlight below.
    QImage mask = img.convertToFormat(QImage::Format_ARGB32);
    QImage hi = mask, sh = mask;
    for (int y = 0; y < mask.height(); ++y)
      for (int x = 0; x < mask.width(); ++x) {
        const bool on = qAlpha(mask.pixel(x, y)) > 127 && qGray(mask.pixel(x, y)) < 192;
        hi.setPixel(x, y, on ? Sys(clBtnHighlight).rgb() : 0);
        sh.setPixel(x, y, on ? Sys(clBtnShadow).rgb() : 0);
      }
    P.drawImage(At + QPoint(1, 1), hi);
    P.drawImage(At, sh);
    return;
  }
  if (DarkFace()) DrawRim(P, img, At);
  P.drawImage(At, img);
}

// Whether an image is lifted over its shadow: the OfficeXP hover effect, on
// an enabled item under the pointer or the keyboard, not while pressed.
bool HoverIconShadow(const TTBBaseSkin *Skin, bool Enabled, bool IsSelected, bool IsPushed) {
  return Skin && Skin->SkinType() == tbsOfficeXP && !(Skin->Options() & tboNoHoverIconShadow) && Enabled &&
         IsSelected && !IsPushed;
}

// The image one pixel up and left of its place, over its silhouette in the
// skin's image shadow colour one pixel down and right.
void DrawLiftedImage(QPainter &P, TCustomImageList *Il, int Index, QPoint At, const QColor &Shadow) {
  if (!Il || !Il->ValidIndex(Index)) return;
  const QImage img = Il->GetImage(Index, P.device()->devicePixelRatioF()).convertToFormat(QImage::Format_ARGB32);
  QImage sil = img;
  for (int y = 0; y < sil.height(); ++y)
    for (int x = 0; x < sil.width(); ++x)
      sil.setPixel(x, y, qAlpha(img.pixel(x, y)) > 127 ? (Shadow.rgb() | 0xFF000000u) : 0u);
  P.drawImage(At + QPoint(1, 1), sil);
  if (DarkFace()) DrawRim(P, img, At - QPoint(1, 1));
  P.drawImage(At - QPoint(1, 1), img);
}

void CheckMark(QPainter &P, QPoint C, bool WithHighlight, const QColor &Fg) {
  const QPoint p(C.x() - 2, C.y() + 1);
  P.save();
  P.setRenderHint(QPainter::Antialiasing, false);
  P.setPen(Fg);
  const QPoint a[] = {p + QPoint(-2, -2), p + QPoint(0, 0),   p + QPoint(4, -4), p + QPoint(4, -3),
                      p + QPoint(0, 1),   p + QPoint(-2, -1), p + QPoint(-2, -2)};
  P.drawPolyline(a, 7);
  if (WithHighlight) {
    P.setPen(Sys(clBtnHighlight));
    const QPoint b[] = {p + QPoint(-3, -2), p + QPoint(-3, -1), p + QPoint(0, 2), p + QPoint(5, -3), p + QPoint(5, -5)};
    P.drawPolyline(b, 5);
  }
  P.restore();
}

} // namespace

void TTBItemViewer::Paint(QPainter &P, const QRect &R, bool IsSelected, bool IsPushed, bool UseDisabledShadow) {
  if (IsToolbarStyle()) PaintButton(P, R, IsSelected, IsPushed, UseDisabledShadow);
  else PaintMenuEntry(P, R, IsSelected, IsPushed, UseDisabledShadow);
}

void TTBItemViewer::PaintMenuEntry(QPainter &P, const QRect &R, bool IsSelected, bool, bool UseDisabledShadow) {
  TTBCustomItem *item = Item();
  const TTBBaseSkin *skin = View()->ActiveSkin();
  const TTBSkins type = skin ? skin->SkinType() : tbsDisabled;
  const bool enabled = item->Enabled();
  TCustomImageList *il = GetImageList();
  const bool imageShown = ImageShown() && il && il->ValidIndex(item->ImageIndex());
  const int checkW = tbSystemSettings().menuCheckWidth, checkH = tbSystemSettings().menuCheckHeight;
  const int column = il ? MulDiv(il->Width() + 3, R.height(), il->Height() + 3) : R.height();
  auto el = [&](int e) { return ToQColor(skin->ElementColor(e)); };

  // Highlight. Fills holds what the caption of a selected entry sits on.
  std::vector<QColor> fills;
  auto gradientFills = [&] {
    fills.push_back(ToQColor(skin->Colors.ColorByIndex(tcGradStart)));
    fills.push_back(ToQColor(skin->Colors.ColorByIndex(tcGradEnd)));
  };
  if (IsSelected) {
    QRect hr = R;
    if (!skin && (imageShown || item->Checked())) hr.setLeft(R.left() + column + 3);
    if (enabled && item->Has(ikCombo)) hr.setRight(R.right() - checkW);
    if (type == tbsOfficeXP) {
      if (enabled) {
        hr.adjust(1, 0, -1, 0);
        if (skin->Options() & tboGradSelItem) {
          GradientFillRect(P, hr, skin->Colors.ColorByIndex(tcGradStart), skin->Gradient() == tbgTopBottom,
                           skin->Colors.ColorByIndex(tcGradEnd));
          gradientFills();
        } else {
          P.fillRect(hr, el(9));
          fills.push_back(el(9));
        }
        FrameRect(P, hr, el(10));
        if (item->Has(ikCombo)) FrameRect(P, QRect(hr.right(), R.top(), checkW + 1, R.height()), el(12));
      } else if (!View()->MouseOverSelected) {
        P.fillRect(hr, el(1));
        FrameRect(P, hr, el(8));
        fills.push_back(el(1));
      }
    } else if (skin) {
      if (skin->Options() & tboGradSelItem) {
        GradientFillRect(P, hr, skin->Colors.ColorByIndex(tcGradStart), skin->Gradient() == tbgTopBottom,
                         skin->Colors.ColorByIndex(tcGradEnd));
        gradientFills();
      } else {
        P.fillRect(hr, el(9));
        fills.push_back(el(9));
      }
      FrameRect(P, hr, el(10));
    } else {
      P.fillRect(hr, Sys(clHighlight));
      fills.push_back(Sys(clHighlight));
    }
  }

  // Check box and image.
  const QRect col(R.left(), R.top(), column, R.height());
  if (item->Checked()) {
    if (!skin) {
      P.fillRect(col, Sys(clBtnFace));
      SunkenOuter(P, col);
      if (!IsSelected) Dither(P, col.adjusted(1, 1, -1, -1));
    } else if (type == tbsOfficeXP || imageShown) {
      QRect box = col.adjusted(1, 1, -1, -1);
      if (type == tbsOfficeXP) box = col.adjusted(2, 1, -2, -1);
      if (skin->Options() & tboGradSelItem) {
        TColor a = skin->Colors.ColorByIndex(tcGradStart), b = skin->Colors.ColorByIndex(tcGradEnd);
        if (IsSelected) {
          a = DarkenColor(a, 20);
          b = DarkenColor(b, 20);
        }
        GradientFillRect(P, box, a, skin->Gradient() == tbgTopBottom, b);
      } else {
        P.fillRect(box, IsSelected ? el(11) : el(9));
      }
      FrameRect(P, box, IsSelected ? el(12) : el(10));
    }
  }
  if (imageShown) {
    const QPoint at(col.left() + (col.width() - il->Width()) / 2, col.top() + (col.height() - il->Height()) / 2);
    if (HoverIconShadow(skin, enabled, IsSelected, false)) DrawLiftedImage(P, il, item->ImageIndex(), at, el(6));
    else DrawImage(P, il, item->ImageIndex(), at, enabled);
  } else if (item->Checked()) {
    CheckMark(P, col.center(), type != tbsOfficeXP, Sys(clBtnText));
  }

  // Caption and shortcut.
  QColor fg;
  if (type == tbsOfficeXP) fg = IsSelected && !View()->OpenedViewer ? el(26) : el(25);
  else if (skin) fg = IsSelected ? el(26) : Sys(clMenuText);
  else fg = IsSelected ? Sys(clHighlightText) : Sys(clMenuText);
  // On a selection's fill the caption is drawn flat (a disabled one in its
  // grey) in a colour that can be read on every colour of that fill.
  const bool onFill = !fills.empty();
  QColor disabledFg = Sys(clBtnShadow);
  for (int pass = 0; pass < 2; ++pass)
    for (const QColor &back : fills) {
      fg = ReadableOn(fg, back);
      disabledFg = ReadableOn(disabledFg, back);
    }
  QFont f = P.font();
  if (item->ResolvedOptions() & tboDefault) f.setBold(true);
  P.setFont(f);
  const QRect textR(R.left() + column + 2, R.top(), R.width() - column - 2, R.height());
  const bool accel = ShowAccelerator();
  if (enabled) DrawCaption(P, textR, GetCaptionText(), Qt::AlignLeft | Qt::AlignVCenter, accel, fg);
  else if (onFill) DrawCaption(P, textR, GetCaptionText(), Qt::AlignLeft | Qt::AlignVCenter, accel, disabledFg);
  else
    DrawDisabledCaption(P, textR, GetCaptionText(), Qt::AlignLeft | Qt::AlignVCenter, accel, skin != nullptr,
                        UseDisabledShadow);
  const QString sc = item->ShortCutText();
  if (!sc.isEmpty()) {
    const QRect scR(R.left(), R.top(), R.width() - R.height(), R.height());
    if (enabled) DrawCaption(P, scR, sc, Qt::AlignRight | Qt::AlignVCenter, false, fg);
    else if (onFill) DrawCaption(P, scR, sc, Qt::AlignRight | Qt::AlignVCenter, false, disabledFg);
    else DrawDisabledCaption(P, scR, sc, Qt::AlignRight | Qt::AlignVCenter, false, skin != nullptr, UseDisabledShadow);
  }

  // Submenu arrow: a triangle pointing right in the check-size box.
  if (item->Has(ikSubmenu)) {
    const int cx = R.right() - checkW / 2 - 2, cy = R.top() + R.height() / 2;
    Q_UNUSED(checkH);
    const QPolygon tri({QPoint(cx - 1, cy - 3), QPoint(cx - 1, cy + 3), QPoint(cx + 2, cy)});
    Triangle(P, tri, enabled, fg);
  }
}

void TTBItemViewer::PaintButton(QPainter &P, const QRect &R, bool IsSelected, bool IsPushed, bool UseDisabledShadow) {
  TTBCustomItem *item = Item();
  TTBView *view = View();
  const TTBBaseSkin *skin = view->ActiveSkin();
  const TTBSkins type = skin ? skin->SkinType() : tbsDisabled;
  const bool enabled = item->Enabled();
  const bool vertical = view->Orientation == tbvoVertical;
  const bool rotated = IsRotated();
  const bool hasArrow = item->Has(ikSubmenu) && (item->Has(ikCombo) || (item->ResolvedOptions() & tboDropdownArrow));
  const bool popupOpenHere = IsPushed && view->OpenedViewer == this;
  const bool checked = item->Checked();
  auto el = [&](int e) { return ToQColor(skin->ElementColor(e)); };

  QRect button = R, arrow;
  if (hasArrow) {
    const int a = item->Has(ikCombo) ? 11 : 8;
    if (vertical && !item->Has(ikCombo)) {
      arrow = QRect(R.left(), R.bottom() - a + 1, R.width(), a);
      button.setBottom(R.bottom() - a);
    } else {
      arrow = QRect(R.right() - a + 1, R.top(), a, R.height());
      button.setRight(R.right() - a);
    }
  }
  const QRect frame = item->Has(ikCombo) ? button : R;
  bool shift = false;
  if (!skin) {
    if (IsPushed || checked) {
      if (checked && !IsSelected) Dither(P, frame.adjusted(1, 1, -1, -1));
      SunkenOuter(P, frame);
      shift = true;
    } else if (IsSelected) {
      RaisedInner(P, frame);
    }
    if (item->Has(ikCombo) && (IsSelected || IsPushed)) {
      if (IsPushed && popupOpenHere) SunkenOuter(P, arrow);
      else RaisedInner(P, arrow);
    }
  } else if (type == tbsOfficeXP) {
    const bool mouseOver = view->MouseOverSelected;
    if ((IsSelected && (enabled || !mouseOver)) || checked) {
      QColor fill, border = el(8);
      if (item->Has(ikSubmenu) && popupOpenHere) {
        fill = (!enabled && !mouseOver) ? el(7) : el(5);
        border = (!enabled && !mouseOver) ? el(8) : el(2);
      } else if (IsPushed) fill = el(11);
      else if (checked) fill = el(15);
      else fill = el(7);
      if (view->ChevronOwnerView && item->Has(ikSubmenu)) border = el(2);
      P.fillRect(R, fill);
      FrameRect(P, R, border);
      if (checked && !(IsSelected && enabled)) P.fillRect(R.adjusted(1, 1, -1, -1), el(14));
    }
  } else {
    if (IsSelected || checked) {
      if (view->IsMenuBar()) {
        P.fillRect(R, el(9));
      } else {
        P.save();
        P.setRenderHint(QPainter::Antialiasing, true);
        P.setPen(el(8));
        P.setBrush(checked && !IsPushed ? el(14) : el(7));
        P.drawRoundedRect(QRectF(R).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        P.restore();
      }
    }
  }

  QColor fg = Sys(clBtnText);
  if (type == tbsOfficeXP) fg = IsSelected && !view->OpenedViewer ? el(26) : el(25);
  else if (skin && enabled && IsSelected && view->IsMenuBar()) fg = ReadableOn(el(26), el(9));
  QRect content = button;
  if (shift) content.translate(1, 1);

  TCustomImageList *il = GetImageList();
  const bool imageShown = ImageShown() && il && il->ValidIndex(item->ImageIndex());
  const bool captionShown = CaptionShown();
  const bool accel = ShowAccelerator();
  QRect textR = content;
  if (imageShown) {
    QPoint at;
    if (!captionShown) {
      at = QPoint(content.left() + (content.width() - il->Width()) / 2,
                  content.top() + (content.height() - il->Height()) / 2);
    } else if ((item->ResolvedOptions() & tboImageAboveCaption) || rotated) {
      at = QPoint(content.left() + (content.width() - il->Width()) / 2, content.top() + 3);
      textR.setTop(at.y() + il->Height());
    } else {
      at = QPoint(content.left() + 3, content.top() + (content.height() - il->Height()) / 2);
      textR.setLeft(at.x() + il->Width() + 1);
    }
    if (HoverIconShadow(skin, enabled, IsSelected, IsPushed || checked))
      DrawLiftedImage(P, il, item->ImageIndex(), at, el(6));
    else DrawImage(P, il, item->ImageIndex(), at, enabled);
  }
  if (captionShown) {
    if (rotated) {
      P.save();
      P.translate(textR.center().x() + 1, textR.center().y() + 1);
      P.rotate(90);
      const QRect rr(-textR.height() / 2, -textR.width() / 2, textR.height(), textR.width());
      if (enabled) DrawCaption(P, rr, GetCaptionText(), Qt::AlignCenter, accel, fg);
      else DrawDisabledCaption(P, rr, GetCaptionText(), Qt::AlignCenter, accel, skin != nullptr, UseDisabledShadow);
      P.restore();
    } else if (enabled) {
      DrawCaption(P, textR, GetCaptionText(), Qt::AlignCenter, accel, fg);
    } else {
      DrawDisabledCaption(P, textR, GetCaptionText(), Qt::AlignCenter, accel, skin != nullptr, UseDisabledShadow);
    }
  }
  if (hasArrow) {
    QPoint c = arrow.center();
    if (shift && !item->Has(ikCombo)) c += QPoint(1, 1);
    const QPolygon tri =
        rotated ? QPolygon({QPoint(c.x() - 1, c.y() + 2), QPoint(c.x() - 1, c.y() - 2), QPoint(c.x() - 3, c.y())})
                : QPolygon({QPoint(c.x() - 2, c.y() - 1), QPoint(c.x() + 2, c.y() - 1), QPoint(c.x(), c.y() + 1)});
    Triangle(P, tri, enabled, fg);
  }
}

void TTBSeparatorItemViewer::Paint(QPainter &P, const QRect &R, bool, bool, bool) {
  auto *sep = dynamic_cast<TTBSeparatorItem *>(Item());
  if (sep && sep->Blank()) return;
  TTBView *view = View();
  const TTBBaseSkin *skin = view->ActiveSkin();
  const bool menu = !IsToolbarStyle();
  bool horizontal = menu || view->Orientation == tbvoVertical;
  if (RowDivider) horizontal = !horizontal;
  if (skin && skin->SkinType() == tbsOfficeXP && view->IsPopup() && menu) {
    const int column = view->ImageColumnWidth();
    P.fillRect(QRect(R.left(), R.top(), column, R.height()), ToQColor(skin->ElementColor(5)));
  }
  QRect line;
  if (horizontal) {
    const int inset = menu ? 12 : (view->Orientation == tbvoFloating ? 1 : 4);
    const int y = R.top() + R.height() / 2 - 1;
    line = QRect(R.left() + inset, y, R.width() - 2 * inset, 2);
  } else {
    const int inset = RowDivider ? 4 : 0;
    const int x = R.left() + R.width() / 2 - 1;
    line = QRect(x, R.top() + inset, 2, R.height() - 2 * inset);
  }
  if (line.width() <= 0 || line.height() <= 0) return;
  if (!skin) {
    // Etched: a shadow line with a highlight line below or beside it.
    if (horizontal) {
      P.fillRect(QRect(line.left(), line.top(), line.width(), 1), Sys(clBtnShadow));
      P.fillRect(QRect(line.left(), line.top() + 1, line.width(), 1), Sys(clBtnHighlight));
    } else {
      P.fillRect(QRect(line.left(), line.top(), 1, line.height()), Sys(clBtnShadow));
      P.fillRect(QRect(line.left() + 1, line.top(), 1, line.height()), Sys(clBtnHighlight));
    }
  } else {
    const QColor c = ToQColor(skin->ElementColor(13));
    if (horizontal) P.fillRect(QRect(line.left(), line.top() + 1, line.width(), 1), c);
    else P.fillRect(QRect(line.left() + 1, line.top(), 1, line.height()), c);
  }
}

} // namespace kc::tb
