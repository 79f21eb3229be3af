#include "toolbars/TBarItemViewer.h"

#include "platform/TbSystemSettings.h"
#include "toolbars/TBarView.h"

namespace kc::tb {

bool TTBItemViewer::IsToolbarStyle() const {
  return view_->IsToolbar() || (item_->ResolvedOptions() & tboToolbarStyle);
}

bool TTBItemViewer::IsToolbarSize() const { return view_->IsToolbar() || (item_->ResolvedOptions() & tboToolbarSize); }

bool TTBItemViewer::CaptionShown() const {
  const bool hasText = !GetCaptionText().isEmpty();
  if (hasText && (!IsToolbarSize() || item_->ImageIndex() < 0 || item_->DisplayMode() == nbdmTextOnly ||
                  item_->DisplayMode() == nbdmImageAndText))
    return true;
  return (item_->ResolvedOptions() & tboImageAboveCaption) != 0;
}

bool TTBItemViewer::ImageShown() const {
  if (item_->ImageIndex() < 0) return false;
  switch (item_->DisplayMode()) {
  case nbdmDefault:
  case nbdmImageAndText: return true;
  case nbdmTextOnlyInMenus: return IsToolbarStyle();
  case nbdmTextOnly: return false;
  }
  return false;
}

TCustomImageList *TTBItemViewer::GetImageList() const {
  if (item_->Images()) return item_->Images();
  for (TTBView *v = view_; v; v = v->OwnerView()) {
    if (v->ShownItem() && v->ShownItem()->SubMenuImages()) return v->ShownItem()->SubMenuImages();
    if (v->SourceItem() && v->SourceItem()->SubMenuImages()) return v->SourceItem()->SubMenuImages();
  }
  return nullptr;
}

bool TTBItemViewer::IsRotated() const {
  return view_->Orientation == tbvoVertical && !(item_->ResolvedOptions() & (tboNoRotation | tboImageAboveCaption));
}

bool TTBItemViewer::ShowAccelerator() const {
  return tbSystemSettings().keyboardCues || !(view_->Style & vsUseKeyboardCues) || view_->Has(vsShowAccelerators);
}

void TTBItemViewer::MeasureSize(const TBTextMetrics &M, int &Width, int &Height) {
  const TTBBaseSkin *skin = view_->ActiveSkin();
  const bool skinned = skin && skin->SkinType() == tbsOfficeXP;
  const bool tbStyle = IsToolbarStyle();
  const bool rotated = IsRotated();
  const TTBItemOptions opts = item_->ResolvedOptions();
  Width = Height = 0;
  if (tbStyle) {
    Width = Height = 6;
    if (skinned && view_->IsMenuBar()) Height -= 2;
  }
  if (!tbStyle || CaptionShown()) {
    const int tw = M.TextWidth(GetCaptionText(), true);
    const int th = M.Height();
    if (rotated) {
      Width += th;
      Height += tw;
      if (tbStyle) Height += 6;
    } else {
      Height += th;
      Width += tw;
      if (tbStyle) Width += 6;
      if (skinned) Height += 3;
    }
  }
  TCustomImageList *il = GetImageList();
  if (tbStyle && ImageShown() && il) {
    if (!rotated && !(opts & tboImageAboveCaption)) {
      Width += il->Width() + 1;
      Height = std::max(Height, il->Height() + 6);
    } else {
      Height += il->Height();
      Width = std::max(Width, il->Width() + 7);
    }
  }
  if (tbStyle && item_->Has(ikSubmenu)) {
    if (item_->Has(ikCombo)) Width += 11;
    else if (opts & tboDropdownArrow) {
      if (view_->Orientation == tbvoVertical) Height += 8;
      else Width += 8;
    }
  }
  if (!tbStyle) {
    Height += M.ExternalLeading() + 4;
    if (skinned) Height += 2;
    int column;
    if (il) {
      Height = std::max(Height, il->Height() + 3);
      column = MulDiv(il->Width() + 3, Height, il->Height() + 3);
    } else {
      column = Height;
    }
    Width += column + 6;
    const QString sc = item_->ShortCutText();
    if (!sc.isEmpty()) Width += M.TextWidth(sc, true) + Height - 6;
    Width += Height;
  }
}

void TTBSeparatorItemViewer::MeasureSize(const TBTextMetrics &M, int &Width, int &Height) {
  if (IsToolbarStyle()) {
    Width = Height = 6;
    return;
  }
  Width = 0;
  const TTBBaseSkin *skin = View()->ActiveSkin();
  Height = skin ? 3 : DivRoundUp(2 * M.Height(), 3);
}

bool TTBItemViewer::IsPtInButtonPart(int X, int) const {
  if (item_->Has(ikCombo)) {
    const int arrow = IsToolbarStyle() ? 11 : tbSystemSettings().menuCheckWidth;
    return X < BoundsRect.width() - arrow;
  }
  return !item_->Has(ikSubmenu);
}

void TTBItemViewer::SelectionGained() {
  if (item_->OnSelect) item_->OnSelect(item_, this, true);
}

void TTBItemViewer::SelectionLost() {
  if (item_->OnSelect) item_->OnSelect(item_, this, false);
}

void TTBItemViewer::MouseDown(bool DoubleClick, int X, int Y, TTBLoopControl &Loop) {
  TTBView *view = view_;
  if (!item_->Enabled()) {
    if (view == Loop.RootView && IsToolbarStyle()) Loop.ExitLoop = true;
    return;
  }
  TTBView *top = view->TopView();
  if (IsPtInButtonPart(X, Y)) {
    if (!IsToolbarStyle()) return;
    if (view == top) view->Set(vsKeyboardOpen, false);
    view->CloseSubmenus();
    view->MouseTracking = true;
    view->RepaintViewer(this);
    return;
  }
  const bool wasKeyboardOpen = top->Has(vsKeyboardOpen);
  view->OpenSubmenu(false);
  if (!view->OpenedViewer) return;
  if (view == top && top->IsToolbar() && wasKeyboardOpen) Loop.DownOnOpenTitle = true;
  if (top->IsToolbar()) top->Set(vsKeyboardOpen, true);
  if (DoubleClick && !item_->Has(ikCombo) && view->OpenedView) {
    TTBView *pv = view->OpenedView;
    for (int i = 0; i < pv->ViewerCount(); ++i) {
      TTBItemViewer *v = pv->Viewer(i);
      TTBCustomItem *it = v->Item();
      if (v->Show && (it->ResolvedOptions() & tboDefault) && it->Has(ikSelectable) && it->Enabled() && it->Visible()) {
        pv->SetSelection(v);
        Loop.Outcome = {};
        Loop.Outcome.Kind = moClick;
        Loop.Outcome.Item = TTBItemRef(it);
        Loop.Outcome.Sound = true;
        Loop.ExitLoop = true;
        break;
      }
    }
  }
}

void TTBItemViewer::MouseUp(int X, int Y, TTBLoopControl &Loop) {
  TTBView *view = view_;
  const bool wasTracking = view->MouseTracking;
  view->EndTracking();
  const bool rootBar = view == Loop.RootView && view->IsToolbar();
  if (view->MouseOverSelected && view->Selected() == this && item_->Enabled() && !item_->Has(ikIgnoresClicks)) {
    if (item_->Has(ikSubmenu) && !IsPtInButtonPart(X, Y)) {
      if (rootBar && Loop.DownOnOpenTitle) Loop.ExitLoop = true;
      return;
    }
    if (IsToolbarStyle() && !wasTracking) return;
    view->GiveWayToFront(this);
    Loop.Outcome = {};
    Loop.Outcome.Kind = moClick;
    Loop.Outcome.Item = TTBItemRef(item_);
    Loop.Outcome.Sound = !rootBar;
    Loop.ExitLoop = true;
    return;
  }
  if (rootBar) Loop.ExitLoop = true;
}

} // namespace kc::tb
