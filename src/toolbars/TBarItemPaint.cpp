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

// What the parts of a menu entry are drawn from.
struct EntryLook {
  EntryLook(const TTBItemViewer &V, const QRect &Rect, bool Selected)
      : viewer(V), item(V.Item()), view(V.View()), skin(view->ActiveSkin()),
        type(skin ? skin->SkinType() : tbsDisabled), enabled(item->Enabled()), il(V.GetImageList()),
        imageShown(V.ImageShown() && il && il->ValidIndex(item->ImageIndex())),
        checkW(tbSystemSettings().menuCheckWidth),
        column(il ? MulDiv(il->Width() + 3, Rect.height(), il->Height() + 3) : Rect.height()), R(Rect),
        selected(Selected) {}
  const TTBItemViewer &viewer;
  TTBCustomItem *item;
  TTBView *view;
  const TTBBaseSkin *skin;
  TTBSkins type;
  bool enabled;
  TCustomImageList *il;
  bool imageShown;
  int checkW;
  int column; // the check and image column
  QRect R;
  bool selected;
  QColor El(int e) const { return ToQColor(skin->ElementColor(e)); }
};

// The highlight of a selected entry; returns what its caption sits on.
std::vector<QColor> PaintEntryHighlight(QPainter &P, const EntryLook &L) {
  std::vector<QColor> fills;
  if (!L.selected) return fills;
  const TTBBaseSkin *skin = L.skin;
  const auto gradient = [&](const QRect &Hr) {
    GradientFillRect(P, Hr, skin->Colors.ColorByIndex(tcGradStart), skin->Gradient() == tbgTopBottom,
                     skin->Colors.ColorByIndex(tcGradEnd));
    fills.push_back(ToQColor(skin->Colors.ColorByIndex(tcGradStart)));
    fills.push_back(ToQColor(skin->Colors.ColorByIndex(tcGradEnd)));
  };
  const auto flat = [&](const QRect &Hr, const QColor &C) {
    P.fillRect(Hr, C);
    fills.push_back(C);
  };
  QRect hr = L.R;
  if (!skin && (L.imageShown || L.item->Checked())) hr.setLeft(L.R.left() + L.column + 3);
  if (L.enabled && L.item->Has(ikCombo)) hr.setRight(L.R.right() - L.checkW);
  if (L.type == tbsOfficeXP) {
    if (L.enabled) {
      hr.adjust(1, 0, -1, 0);
      if (skin->Options() & tboGradSelItem) gradient(hr);
      else flat(hr, L.El(9));
      FrameRect(P, hr, L.El(10));
      if (L.item->Has(ikCombo)) FrameRect(P, QRect(hr.right(), L.R.top(), L.checkW + 1, L.R.height()), L.El(12));
    } else if (!L.view->MouseOverSelected) {
      P.fillRect(hr, L.El(1));
      FrameRect(P, hr, L.El(8));
      fills.push_back(L.El(1));
    }
  } else if (skin) {
    if (skin->Options() & tboGradSelItem) gradient(hr);
    else flat(hr, L.El(9));
    FrameRect(P, hr, L.El(10));
  } else {
    flat(hr, Sys(clHighlight));
  }
  return fills;
}

// The check box and the image, in the entry's first column.
void PaintEntryCheckAndImage(QPainter &P, const EntryLook &L) {
  const TTBBaseSkin *skin = L.skin;
  const QRect col(L.R.left(), L.R.top(), L.column, L.R.height());
  if (L.item->Checked()) {
    if (!skin) {
      P.fillRect(col, Sys(clBtnFace));
      SunkenOuter(P, col);
      if (!L.selected) Dither(P, col.adjusted(1, 1, -1, -1));
    } else if (L.type == tbsOfficeXP || L.imageShown) {
      QRect box = col.adjusted(1, 1, -1, -1);
      if (L.type == tbsOfficeXP) box = col.adjusted(2, 1, -2, -1);
      if (skin->Options() & tboGradSelItem) {
        TColor a = skin->Colors.ColorByIndex(tcGradStart), b = skin->Colors.ColorByIndex(tcGradEnd);
        if (L.selected) {
          a = DarkenColor(a, 20);
          b = DarkenColor(b, 20);
        }
        GradientFillRect(P, box, a, skin->Gradient() == tbgTopBottom, b);
      } else {
        P.fillRect(box, L.selected ? L.El(11) : L.El(9));
      }
      FrameRect(P, box, L.selected ? L.El(12) : L.El(10));
    }
  }
  if (L.imageShown) {
    const QPoint at(col.left() + (col.width() - L.il->Width()) / 2, col.top() + (col.height() - L.il->Height()) / 2);
    if (HoverIconShadow(skin, L.enabled, L.selected, false))
      DrawLiftedImage(P, L.il, L.item->ImageIndex(), at, L.El(6));
    else DrawImage(P, L.il, L.item->ImageIndex(), at, L.enabled);
  } else if (L.item->Checked()) {
    CheckMark(P, col.center(), L.type != tbsOfficeXP, Sys(clBtnText));
  }
}

// Caption and shortcut; returns the colour they were drawn in (enabled).
QColor PaintEntryTexts(QPainter &P, const EntryLook &L, const std::vector<QColor> &Fills, bool UseDisabledShadow) {
  QColor fg;
  if (L.type == tbsOfficeXP) fg = L.selected && !L.view->OpenedViewer ? L.El(26) : L.El(25);
  else if (L.skin) fg = L.selected ? L.El(26) : Sys(clMenuText);
  else fg = L.selected ? Sys(clHighlightText) : Sys(clMenuText);
  // On a selection's fill the caption is drawn flat (a disabled one in its
  // grey) in a colour that can be read on every colour of that fill.
  const bool onFill = !Fills.empty();
  QColor disabledFg = Sys(clBtnShadow);
  for (int pass = 0; pass < 2; ++pass)
    for (const QColor &back : Fills) {
      fg = ReadableOn(fg, back);
      disabledFg = ReadableOn(disabledFg, back);
    }
  QFont f = P.font();
  if (L.item->ResolvedOptions() & tboDefault) f.setBold(true);
  P.setFont(f);
  const auto text = [&](const QRect &At, const QString &Text, int Align, bool Accel) {
    if (L.enabled) DrawCaption(P, At, Text, Align, Accel, fg);
    else if (onFill) DrawCaption(P, At, Text, Align, Accel, disabledFg);
    else DrawDisabledCaption(P, At, Text, Align, Accel, L.skin != nullptr, UseDisabledShadow);
  };
  const QRect &R = L.R;
  text(QRect(R.left() + L.column + 2, R.top(), R.width() - L.column - 2, R.height()), L.viewer.GetCaptionText(),
       Qt::AlignLeft | Qt::AlignVCenter, L.viewer.ShowAccelerator());
  const QString sc = L.item->ShortCutText();
  if (!sc.isEmpty())
    text(QRect(R.left(), R.top(), R.width() - R.height(), R.height()), sc, Qt::AlignRight | Qt::AlignVCenter, false);
  return fg;
}

// What the parts of a toolbar button are drawn from.
struct ButtonLook {
  ButtonLook(const TTBItemViewer &V, const QRect &Rect, bool Selected, bool Pushed)
      : viewer(V), item(V.Item()), view(V.View()), skin(view->ActiveSkin()),
        type(skin ? skin->SkinType() : tbsDisabled), enabled(item->Enabled()), checked(item->Checked()),
        rotated(V.IsRotated()),
        hasArrow(item->Has(ikSubmenu) && (item->Has(ikCombo) || (item->ResolvedOptions() & tboDropdownArrow))), R(Rect),
        button(Rect), selected(Selected), pushed(Pushed), popupOpenHere(Pushed && view->OpenedViewer == &V) {
    if (!hasArrow) return;
    // The drop-down arrow's part: at the end, or below on a vertical bar.
    const int a = item->Has(ikCombo) ? 11 : 8;
    if (view->Orientation == tbvoVertical && !item->Has(ikCombo)) {
      arrow = QRect(R.left(), R.bottom() - a + 1, R.width(), a);
      button.setBottom(R.bottom() - a);
    } else {
      arrow = QRect(R.right() - a + 1, R.top(), a, R.height());
      button.setRight(R.right() - a);
    }
  }
  const TTBItemViewer &viewer;
  TTBCustomItem *item;
  TTBView *view;
  const TTBBaseSkin *skin;
  TTBSkins type;
  bool enabled, checked, rotated, hasArrow;
  QRect R, button, arrow;
  bool selected, pushed, popupOpenHere;
  QColor El(int e) const { return ToQColor(skin->ElementColor(e)); }
};

// The button's face in its look; true when its content moves a pixel down
// and right, as a pushed classic button's does.
bool PaintButtonFace(QPainter &P, const ButtonLook &L) {
  const QRect &R = L.R;
  if (!L.skin) {
    const QRect frame = L.item->Has(ikCombo) ? L.button : R;
    bool shift = false;
    if (L.pushed || L.checked) {
      if (L.checked && !L.selected) Dither(P, frame.adjusted(1, 1, -1, -1));
      SunkenOuter(P, frame);
      shift = true;
    } else if (L.selected) {
      RaisedInner(P, frame);
    }
    if (L.item->Has(ikCombo) && (L.selected || L.pushed)) {
      if (L.pushed && L.popupOpenHere) SunkenOuter(P, L.arrow);
      else RaisedInner(P, L.arrow);
    }
    return shift;
  }
  if (L.type == tbsOfficeXP) {
    const bool mouseOver = L.view->MouseOverSelected;
    if ((L.selected && (L.enabled || !mouseOver)) || L.checked) {
      QColor fill, border = L.El(8);
      if (L.item->Has(ikSubmenu) && L.popupOpenHere) {
        fill = (!L.enabled && !mouseOver) ? L.El(7) : L.El(5);
        border = (!L.enabled && !mouseOver) ? L.El(8) : L.El(2);
      } else if (L.pushed) fill = L.El(11);
      else if (L.checked) fill = L.El(15);
      else fill = L.El(7);
      if (L.view->ChevronOwnerView && L.item->Has(ikSubmenu)) border = L.El(2);
      P.fillRect(R, fill);
      FrameRect(P, R, border);
      if (L.checked && !(L.selected && L.enabled)) P.fillRect(R.adjusted(1, 1, -1, -1), L.El(14));
    }
    return false;
  }
  if (L.selected || L.checked) {
    if (L.view->IsMenuBar()) {
      P.fillRect(R, L.El(9));
    } else {
      P.save();
      P.setRenderHint(QPainter::Antialiasing, true);
      P.setPen(L.El(8));
      P.setBrush(L.checked && !L.pushed ? L.El(14) : L.El(7));
      P.drawRoundedRect(QRectF(R).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
      P.restore();
    }
  }
  return false;
}

// The image in the content rectangle; returns what is left for the caption.
QRect PaintButtonImage(QPainter &P, const ButtonLook &L, const QRect &Content) {
  TCustomImageList *il = L.viewer.GetImageList();
  if (!L.viewer.ImageShown() || !il || !il->ValidIndex(L.item->ImageIndex())) return Content;
  QRect textR = Content;
  QPoint at;
  if (!L.viewer.CaptionShown()) {
    at = QPoint(Content.left() + (Content.width() - il->Width()) / 2,
                Content.top() + (Content.height() - il->Height()) / 2);
  } else if ((L.item->ResolvedOptions() & tboImageAboveCaption) || L.rotated) {
    at = QPoint(Content.left() + (Content.width() - il->Width()) / 2, Content.top() + 3);
    textR.setTop(at.y() + il->Height());
  } else {
    at = QPoint(Content.left() + 3, Content.top() + (Content.height() - il->Height()) / 2);
    textR.setLeft(at.x() + il->Width() + 1);
  }
  if (HoverIconShadow(L.skin, L.enabled, L.selected, L.pushed || L.checked))
    DrawLiftedImage(P, il, L.item->ImageIndex(), at, L.El(6));
  else DrawImage(P, il, L.item->ImageIndex(), at, L.enabled);
  return textR;
}

// The caption, turned a quarter for a rotated button.
void PaintButtonCaption(QPainter &P, const ButtonLook &L, const QRect &TextR, const QColor &Fg,
                        bool UseDisabledShadow) {
  const QString caption = L.viewer.GetCaptionText();
  const bool accel = L.viewer.ShowAccelerator();
  const auto text = [&](const QRect &At, int Align) {
    if (L.enabled) DrawCaption(P, At, caption, Align, accel, Fg);
    else DrawDisabledCaption(P, At, caption, Align, accel, L.skin != nullptr, UseDisabledShadow);
  };
  if (!L.rotated) {
    text(TextR, Qt::AlignCenter);
    return;
  }
  P.save();
  P.translate(TextR.center().x() + 1, TextR.center().y() + 1);
  P.rotate(90);
  text(QRect(-TextR.height() / 2, -TextR.width() / 2, TextR.height(), TextR.width()), Qt::AlignCenter);
  P.restore();
}

} // namespace

void TTBItemViewer::Paint(QPainter &P, const QRect &R, bool IsSelected, bool IsPushed, bool UseDisabledShadow) {
  if (IsToolbarStyle()) PaintButton(P, R, IsSelected, IsPushed, UseDisabledShadow);
  else PaintMenuEntry(P, R, IsSelected, IsPushed, UseDisabledShadow);
}

void TTBItemViewer::PaintMenuEntry(QPainter &P, const QRect &R, bool IsSelected, bool, bool UseDisabledShadow) {
  const EntryLook L(*this, R, IsSelected);
  const std::vector<QColor> fills = PaintEntryHighlight(P, L);
  PaintEntryCheckAndImage(P, L);
  const QColor fg = PaintEntryTexts(P, L, fills, UseDisabledShadow);
  // Submenu arrow: a triangle pointing right in the check-size box.
  if (L.item->Has(ikSubmenu)) {
    const int cx = R.right() - L.checkW / 2 - 2, cy = R.top() + R.height() / 2;
    const QPolygon tri({QPoint(cx - 1, cy - 3), QPoint(cx - 1, cy + 3), QPoint(cx + 2, cy)});
    Triangle(P, tri, L.enabled, fg);
  }
}

void TTBItemViewer::PaintButton(QPainter &P, const QRect &R, bool IsSelected, bool IsPushed, bool UseDisabledShadow) {
  const ButtonLook L(*this, R, IsSelected, IsPushed);
  const bool shift = PaintButtonFace(P, L);
  QColor fg = Sys(clBtnText);
  if (L.type == tbsOfficeXP) fg = IsSelected && !L.view->OpenedViewer ? L.El(26) : L.El(25);
  else if (L.skin && L.enabled && IsSelected && L.view->IsMenuBar()) fg = ReadableOn(L.El(26), L.El(9));
  QRect content = L.button;
  if (shift) content.translate(1, 1);
  const QRect textR = PaintButtonImage(P, L, content);
  if (CaptionShown()) PaintButtonCaption(P, L, textR, fg, UseDisabledShadow);
  if (L.hasArrow) {
    QPoint c = L.arrow.center();
    if (shift && !L.item->Has(ikCombo)) c += QPoint(1, 1);
    const QPolygon tri =
        L.rotated ? QPolygon({QPoint(c.x() - 1, c.y() + 2), QPoint(c.x() - 1, c.y() - 2), QPoint(c.x() - 3, c.y())})
                  : QPolygon({QPoint(c.x() - 2, c.y() - 1), QPoint(c.x() + 2, c.y() - 1), QPoint(c.x(), c.y() + 1)});
    Triangle(P, tri, L.enabled, fg);
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
