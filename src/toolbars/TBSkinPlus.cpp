#include "toolbars/TBSkinPlus.h"

#include <algorithm>
#include <cmath>

#include "platform/TbSystemSettings.h"
#include "toolbars/TBSkinShared.h"
#include "toolbars/TBarConsts.h"

namespace kc::tb {

namespace {
// Colour element number to property index.
constexpr std::array<int, 28> kElementToIndex = {
    tcFace,          tcPopup,           tcBorder,          tcToolbar,       tcDragHandle,
    tcImageList,     tcImgListShadow,   tcSelBar,          tcSelBarBorder,  tcSelItem,
    tcSelItemBorder, tcSelPushed,       tcSelPushedBorder, tcSeparator,     tcChecked,
    tcCheckedOver,   tcDockBorderTitle, tcDockBorderIn,    tcDockBorderOut, tcGradStart,
    tcGradEnd,       tcPopupGradStart,  tcPopupGradEnd,    tcImgGradStart,  tcImgGradEnd,
    tcText,          tcHighlightText,   tcCaptionText};

int g_chevronSize = 12;

QFont BoldCaptionFont() {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(11);
  f.setBold(true);
  return f;
}
} // namespace

int ChevronSize() { return g_chevronSize; }

TColor TTBColors::ColorByIndex(int Index) const {
  if (Index < 1 || Index > 28) return clNone;
  return values_[Index];
}

void TTBColors::SetColorByIndex(int Index, TColor Color) {
  if (owner_->colorSet_ == tbcCustom && Index >= 1 && Index <= 28) {
    values_[Index] = Color;
    rgb_[Index] = ColorToRGB(Color);
    if (TTBBaseSkin *def = owner_->PropagationTarget()) def->Colors.SetColorByIndex(Index, Color);
  }
  owner_->RefreshWindows();
}

TTBBaseSkin::TTBBaseSkin() : defaultCaptionFont_(BoldCaptionFont()), captionFont_(BoldCaptionFont()) {
  BuildColorSet();
}

TTBBaseSkin::~TTBBaseSkin() {
  const std::vector<Notify> told = std::move(freeNotifies_);
  for (const Notify &n : told) n.fn();
}

void TTBBaseSkin::AddFreeNotify(const void *Key, std::function<void()> Fn) {
  RemoveFreeNotify(Key);
  freeNotifies_.push_back({Key, std::move(Fn)});
}

void TTBBaseSkin::RemoveFreeNotify(const void *Key) {
  std::erase_if(freeNotifies_, [Key](const Notify &n) { return n.key == Key; });
}

TColor TTBBaseSkin::ElementColor(int Element) const {
  const int e = Element & 0x7F;
  if (e < 0 || e >= 28) return clWhite;
  return Colors.rgb_[kElementToIndex[e]];
}

TTBBaseSkin *TTBBaseSkin::PropagationTarget() const {
  if (!isDefault_) return nullptr;
  TTBBaseSkin &def = DefaultSkin();
  return this != &def ? &def : nullptr;
}

void TTBBaseSkin::BuildColorSet() {
  auto &v = Colors.values_;
  if (colorSet_ == tbcOfficeXP) {
    v[tcFace] = clBtnFace;
    v[tcBorder] = BlendColors(clBtnShadow, clBlack, 0.2);
    v[tcToolbar] = BlendColors(clBtnFace, clWindow, 0.16);
    v[tcDragHandle] = BlendColors(clBtnShadow, clWindow, 0.231);
    v[tcSelBar] = BlendColors(clHighlight, clWindow, 0.7);
    v[tcSelBarBorder] = clHighlight;
    v[tcSelItem] = v[tcSelBar];
    v[tcSelItemBorder] = clHighlight;
    v[tcSelPushed] = BlendColors(clHighlight, clWindow, 0.601);
    v[tcSelPushedBorder] = clHighlight;
    v[tcImageList] = BlendColors(clBtnFace, clWindow, 0.16);
    v[tcImgListShadow] = BlendColors(clHighlight, clBtnShadow, 0.701);
    v[tcPopup] = BlendColors(clWindow, clBtnFace, 0.15);
    v[tcChecked] = BlendColors(v[tcSelPushed], BlendColors(clBtnFace, clWindow, 0.44), 0.794);
    v[tcCheckedOver] = v[tcSelPushed];
    v[tcDockBorderIn] = v[tcDockBorderOut] = BlendColors(clBtnShadow, clBlack, 0.15);
    v[tcDockBorderTitle] = clBtnShadow;
    v[tcGradStart] = LightenColor(v[tcSelItem], 70);
    v[tcGradEnd] = v[tcSelItem];
    v[tcPopupGradStart] = v[tcImageList];
    v[tcPopupGradEnd] = LightenColor(v[tcImageList], 70);
    v[tcImgGradStart] = v[tcImageList];
    v[tcImgGradEnd] = DarkenColor(v[tcImageList], 50);
    v[tcSeparator] = LightenColor(clBtnShadow, 15);
    v[tcText] = clWindowText;
    v[tcHighlightText] = clWindowText;
    v[tcCaptionText] = clHighlightText;
  } else if (colorSet_ == tbcWindowsXP) {
    v[tcFace] = clMenu;
    v[tcPopup] = clWindow;
    v[tcBorder] = clBtnShadow;
    v[tcToolbar] = clBtnFace;
    v[tcDragHandle] = clBtnShadow;
    v[tcSelBar] = clWindow;
    v[tcSelBarBorder] = clBtnShadow;
    v[tcSelItem] = LightenColor(clHighlight, 13);
    v[tcSelItemBorder] = clHighlight;
    v[tcSelPushed] = DarkenColor(v[tcSelItem], 20);
    v[tcSelPushedBorder] = v[tcSelItem];
    v[tcImageList] = clMenu;
    v[tcImgListShadow] = clBtnShadow;
    v[tcChecked] = v[tcSelBar];
    v[tcCheckedOver] = v[tcSelPushed];
    v[tcDockBorderIn] = v[tcPopup];
    v[tcDockBorderOut] = clBlack;
    v[tcDockBorderTitle] = clWindow;
    v[tcSeparator] = v[tcBorder];
    v[tcGradStart] = LightenColor(v[tcSelItem], 70);
    v[tcGradEnd] = v[tcSelItem];
    v[tcPopupGradStart] = LightenColor(v[tcSelItem], 40);
    v[tcPopupGradEnd] = LightenColor(v[tcSelItem], 100);
    v[tcImgGradStart] = LightenColor(v[tcSelItem], 50);
    v[tcImgGradEnd] = LightenColor(v[tcSelItem], 100);
    v[tcText] = clWindowText;
    v[tcHighlightText] = clHighlightText;
    v[tcCaptionText] = clWindowText;
  } else {
    return;
  }
  UpdateColors();
}

void TTBBaseSkin::UpdateColors() {
  // A true-colour screen: the nearest screen colour is the colour itself.
  for (int i = 1; i <= 28; ++i) Colors.rgb_[i] = ColorToRGB(Colors.values_[i]);
}

void TTBBaseSkin::SetColorSet(TTBColorSets Value) {
  if (Value == colorSet_ || skinType_ == tbsDisabled) return;
  colorSet_ = Value;
  if (Value != tbcCustom) BuildColorSet();
  if (TTBBaseSkin *def = PropagationTarget()) def->SetColorSet(Value);
  RefreshWindows();
}

void TTBBaseSkin::SetSkinType(TTBSkins Value) {
  if (Value == skinType_) return;
  const TTBSkins asked = Value;
  skinType_ = Value;
  if (Value == tbsNativeXP && !tbSystemSettings().themesActive) skinType_ = tbsWindowsXP;
  g_chevronSize = 12;
  if (skinType_ == tbsOfficeXP) {
    options_ = TTBOptions((options_ | tboShadow | tboBlendedImages) & ~tboPopupOverlap);
    shadowStyle_ = sOfficeXP;
    g_chevronSize = 11;
    if (colorSet_ != tbcCustom) {
      colorSet_ = tbcOfficeXP;
      BuildColorSet();
    }
  } else if (skinType_ == tbsWindowsXP || skinType_ == tbsNativeXP) {
    options_ = TTBOptions((options_ | tboPopupOverlap | tboShadow) & ~tboBlendedImages);
    shadowStyle_ = sWindowsXP;
    if (colorSet_ != tbcCustom) {
      colorSet_ = tbcWindowsXP;
      BuildColorSet();
    }
  }
  if (TTBBaseSkin *def = PropagationTarget()) def->SetSkinType(asked);
  RefreshWindows();
}

void TTBBaseSkin::SetOptions(TTBOptions Value) {
  if (Value == options_) return;
  options_ = Value;
  if (TTBBaseSkin *def = PropagationTarget()) def->SetOptions(Value);
  RefreshWindows();
}

void TTBBaseSkin::SetShadowStyle(TShadowStyle Value) {
  if (Value == shadowStyle_) return;
  shadowStyle_ = Value;
  if (TTBBaseSkin *def = PropagationTarget()) def->SetShadowStyle(Value);
}

void TTBBaseSkin::SetGradient(TTBGradDir Value) {
  if (Value == gradient_) return;
  gradient_ = Value;
  if (TTBBaseSkin *def = PropagationTarget()) def->SetGradient(Value);
}

void TTBBaseSkin::SetPopupStyle(TTBPopupStyle Value) {
  if (Value == popupStyle_) return;
  popupStyle_ = Value;
  if (TTBBaseSkin *def = PropagationTarget()) def->SetPopupStyle(Value);
}

void TTBBaseSkin::SetImgBackStyle(TTBImgBackStyle Value) {
  if (Value == imgBackStyle_) return;
  imgBackStyle_ = Value;
  if (TTBBaseSkin *def = PropagationTarget()) def->SetImgBackStyle(Value);
}

void TTBBaseSkin::SetCaptionFont(const QFont &Font) {
  if (Font == captionFont_) return;
  captionFont_ = Font;
  parentFont_ = false;
  if (TTBBaseSkin *def = PropagationTarget()) def->SetCaptionFont(Font);
  RefreshWindows();
}

void TTBBaseSkin::SetParentFont(bool Value) {
  if (Value == parentFont_) return;
  parentFont_ = Value;
  if (Value) captionFont_ = defaultCaptionFont_;
  if (TTBBaseSkin *def = PropagationTarget()) {
    def->SetParentFont(Value);
    def->SetCaptionFont(defaultCaptionFont_);
  }
  RefreshWindows();
}

void TTBBaseSkin::SetIsDefaultSkin(bool Value) {
  if (Value == isDefault_) return;
  isDefault_ = Value;
  RefreshWindows();
}

void TTBBaseSkin::AddNotify(const void *Key, std::function<void()> Fn) {
  for (const Notify &n : notifies_)
    if (n.key == Key) return;
  notifies_.push_back({Key, std::move(Fn)});
}

void TTBBaseSkin::RemoveNotify(const void *Key) {
  std::erase_if(notifies_, [Key](const Notify &n) { return n.key == Key; });
}

void TTBBaseSkin::AddWindow(TTBSkinClient *Window) {
  if (std::find(windows_.begin(), windows_.end(), Window) == windows_.end()) windows_.push_back(Window);
}

bool TTBBaseSkin::RemoveWindow(TTBSkinClient *Window) {
  auto it = std::find(windows_.begin(), windows_.end(), Window);
  if (it == windows_.end()) return false;
  windows_.erase(it);
  return true;
}

void TTBBaseSkin::RefreshWindows() {
  // A snapshot: a window may leave the list while it re-frames.
  const std::vector<TTBSkinClient *> windows = windows_;
  for (TTBSkinClient *w : windows)
    if (std::find(windows_.begin(), windows_.end(), w) != windows_.end()) w->SkinChanged();
}

int TTBBaseSkin::PopupBorderWidth() const {
  if (skinType_ == tbsDisabled || skinType_ == tbsNativeXP) return 3;
  if (skinType_ == tbsWindowsXP && popupStyle_ == tbpsDefault && imgBackStyle_ == tbimsDefault) return 3;
  if (skinType_ == tbsOfficeXP) return 2;
  return 1;
}

void TTBBaseSkin::Assign(const TTBBaseSkin &Source) {
  static constexpr int kOrder[] = {1, 2, 3, 9, 10, 11, 6, 7, 8, 12, 13, 14, 15, 16, 17, 5, 19};
  for (int i : kOrder) Colors.SetColorByIndex(i, Source.Colors.ColorByIndex(i));
  SetColorSet(Source.colorSet_);
  SetGradient(Source.gradient_);
  SetOptions(Source.options_);
  SetShadowStyle(Source.shadowStyle_);
  SetSkinType(Source.skinType_);
  Tag = Source.Tag;
}

TTBSkin::TTBSkin() { SkinManager().AddSkin(this); }

TTBSkin::~TTBSkin() {
  SetSkinType(tbsDisabled);
  SkinManager().RemoveSkin(this);
}

void TTBSkin::SetIsDefaultSkin(bool Value) {
  if (Value == isDefault_) return;
  isDefault_ = Value;
  SkinManager().SetDefaultSkin(Value ? this : nullptr);
  RefreshWindows();
}

TTBSkinManager::TTBSkinManager() { saved_.Assign(DefaultSkin()); }

TTBSkinManager::~TTBSkinManager() { DefaultSkin().Assign(saved_); }

void TTBSkinManager::AddSkin(TTBSkin *Skin) {
  if (std::find(skins_.begin(), skins_.end(), Skin) != skins_.end()) return;
  skins_.push_back(Skin);
  if (skins_.size() == 1) {
    DefaultSkin().Assign(*Skin);
    Skin->isDefault_ = true;
  }
}

void TTBSkinManager::RemoveSkin(TTBSkin *Skin) {
  auto it = std::find(skins_.begin(), skins_.end(), Skin);
  if (it == skins_.end()) throw ESkinError(SSkinNotInManager);
  const bool wasDefault = Skin->isDefault_;
  skins_.erase(it);
  if (wasDefault && !skins_.empty()) skins_.front()->isDefault_ = true;
  else if (skins_.empty()) DefaultSkin().Assign(saved_);
}

void TTBSkinManager::SetDefaultSkin(TTBSkin *Skin) {
  if (!Skin) {
    DefaultSkin().Assign(saved_);
    return;
  }
  if (std::find(skins_.begin(), skins_.end(), Skin) == skins_.end()) throw ESkinError(SSkinNotAdded);
  for (TTBSkin *s : skins_)
    if (s != Skin) s->isDefault_ = false;
  Skin->isDefault_ = true;
  DefaultSkin().Assign(*Skin);
}

namespace {
TTBBaseSkin *MakeDefaultSkin() {
  auto *s = new TTBBaseSkin;
  s->SetSkinType(tbsDisabled);
  s->SetOptions(0);
  return s;
}
} // namespace

TTBBaseSkin &DefaultSkin() {
  // Lives for the whole process: skins and views still point at it while
  // static objects are torn down.
  static TTBBaseSkin *skin = MakeDefaultSkin();
  return *skin;
}

TTBSkinManager &SkinManager() {
  DefaultSkin();
  static TTBSkinManager *manager = new TTBSkinManager;
  return *manager;
}

const TTBBaseSkin *ActiveSkin(const TTBBaseSkin *Own) {
  if (Own && Own->SkinType() != tbsDisabled) return Own;
  const TTBBaseSkin &def = DefaultSkin();
  if (def.SkinType() != tbsDisabled) return &def;
  return nullptr;
}

namespace {
constexpr QRgb kXPShadowColour = qRgb(30, 30, 30);

QRgb BlendTowardsShadow(QRgb p, double w) {
  w = std::clamp(w, 0.0, 1.0);
  const TColor c = BlendColors(RGB(qRed(p), qGreen(p), qBlue(p)), RGB(30, 30, 30), w);
  return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

QRgb DarkenBy(QRgb p, int amount) {
  return qRgb(std::max(qRed(p) - amount, 0), std::max(qGreen(p) - amount, 0), std::max(qBlue(p) - amount, 0));
}

constexpr double kXPVerticalCorner[4][4] = {
    {0.1, 0.031, 0, 0}, {0.175, 0.1, 0.031, 0}, {0.245, 0.175, 0.1, 0.01}, {0.315, 0.245, 0.175, 0.031}};
constexpr double kXPEndCorner[4] = {0.5, 0.35, 0.2, 0.05};

// What the shadow does to one pixel of a strip T thick and L long, J along
// it and D away from the casting window: darken every channel by Amount
// (OfficeXP) or blend it towards dark grey by Weight (WindowsXP).
struct ShadowTouch {
  bool Touched = false;
  int Amount = 0;
  double Weight = 0;
};

ShadowTouch TouchAt(const TShadowStrip &S, int T, int L, int j, int d) {
  ShadowTouch t;
  const bool endCorner = !S.Vertical && S.EndCorner && j >= L - T;
  const int i = L - 1 - j;                   // distance from the far end
  const int pos = endCorner ? j - L + T : j; // the span is shifted for the end corner
  if (S.ExclStart >= 1 && S.ExclEnd >= 1 && S.ExclStart <= pos && pos <= S.ExclEnd) return t;
  // Amounts are worked out in full integers and clamped: thick strips
  // would otherwise give negative amounts that wrap to near-black.
  if (S.Style == sOfficeXP) {
    if (S.StartCorner && !S.Vertical && j < T) t.Amount = 60 - 5 * (2 * T - 1 - j + d);
    else if (S.StartCorner && S.Vertical && j < T) return t;
    else if (S.StartCorner && S.Vertical && j < 2 * T) t.Amount = 40 - 5 * (2 * T - 1 - j + d);
    else if (endCorner) t.Amount = 5 * (2 * T - 1 - d + i) - 15;
    else t.Amount = 60 - 15 * d;
    t.Amount = std::clamp(t.Amount, 0, 255);
  } else {
    if (!S.Vertical && S.StartCorner && j < T) t.Weight = (60 - 7.1 * (2 * T - 1 - j + d)) / 100;
    else if (endCorner) t.Weight = kXPEndCorner[std::clamp(i + d, 0, 3)];
    else if (S.Vertical && S.StartCorner && j < T) return t;
    else if (S.Vertical && S.StartCorner && j < 2 * T) t.Weight = kXPVerticalCorner[std::min(j - T, 3)][std::min(d, 3)];
    else t.Weight = (50 - 15 * d) / 100.0;
    t.Weight = std::clamp(t.Weight, 0.0, 1.0);
  }
  t.Touched = true;
  return t;
}
} // namespace

void DarkenShadowStrip(QImage &Strip, const TShadowStrip &S) {
  if (Strip.isNull()) return;
  if (Strip.format() != QImage::Format_RGB32) Strip = Strip.convertToFormat(QImage::Format_RGB32);
  // A picture taken at a scale of 2 has two device pixels to a logical one
  // each way; the amounts follow the logical pixel, so the shadow keeps its
  // look at any scale.
  const double scale = std::max(1.0, Strip.devicePixelRatio());
  const int W = std::max(1, int(std::lround(Strip.width() / scale)));
  const int H = std::max(1, int(std::lround(Strip.height() / scale)));
  const int T = S.Vertical ? W : H;
  const int L = S.Vertical ? H : W;
  for (int y = 0; y < Strip.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(Strip.scanLine(y));
    const int ly = std::min(int(y / scale), H - 1);
    for (int x = 0; x < Strip.width(); ++x) {
      const int lx = std::min(int(x / scale), W - 1);
      const ShadowTouch t = TouchAt(S, T, L, S.Vertical ? ly : lx, S.Vertical ? lx : ly);
      if (!t.Touched) continue;
      line[x] = S.Style == sOfficeXP ? DarkenBy(line[x], t.Amount) : BlendTowardsShadow(line[x], t.Weight);
    }
  }
}

QImage TranslucentShadowStrip(QSize Size, const TShadowStrip &S) {
  QImage out(Size, QImage::Format_ARGB32_Premultiplied);
  out.fill(Qt::transparent);
  const int T = S.Vertical ? Size.width() : Size.height();
  const int L = S.Vertical ? Size.height() : Size.width();
  for (int y = 0; y < Size.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
    for (int x = 0; x < Size.width(); ++x) {
      const ShadowTouch t = TouchAt(S, T, L, S.Vertical ? y : x, S.Vertical ? x : y);
      if (!t.Touched) continue;
      // Black at the amount's strength darkens white by the amount itself;
      // the WindowsXP blend is the grey it blends to at the weight's.
      line[x] = S.Style == sOfficeXP ? qPremultiply(qRgba(0, 0, 0, t.Amount))
                                     : qPremultiply(qRgba(qRed(kXPShadowColour), qGreen(kXPShadowColour),
                                                          qBlue(kXPShadowColour), int(std::lround(t.Weight * 255))));
    }
  }
  return out;
}

} // namespace kc::tb
