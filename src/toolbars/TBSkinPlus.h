#pragma once
// The skin engine: 28 named colours, the four looks, gradients, popup
// shadows, one skin manager and the default skin every toolbar and popup
// without its own skin uses.
#include <QFont>
#include <QImage>

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

#include "platform/CanvasTypes.h"

namespace kc::tb {

class ESkinError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

enum TTBSkins : std::uint8_t { tbsDisabled, tbsOfficeXP, tbsWindowsXP, tbsNativeXP };
enum TTBColorSets : std::uint8_t { tbcOfficeXP, tbcWindowsXP, tbcCustom };
enum TTBGradDir : std::uint8_t { tbgLeftRight, tbgTopBottom };
enum TTBImgBackStyle : std::uint8_t { tbimsDefault, tbimsGradVert, tbimsGradHorz };
enum TTBPopupStyle : std::uint8_t { tbpsDefault, tbpsGradVert, tbpsGradHorz };
enum TShadowStyle : std::uint8_t { sOfficeXP, sWindowsXP };

using TTBOptions = std::uint8_t;
enum : TTBOptions {
  tboPopupOverlap = 1 << 0,
  tboShadow = 1 << 1,
  tboDockedCaptions = 1 << 2,
  tboMenuTBColor = 1 << 3,
  tboGradSelItem = 1 << 4,
  tboBlendedImages = 1 << 5,
  tboNoHoverIconShadow = 1 << 6,
};

// Colour property indices (1..28).
enum TTBColorIndex : int {
  tcFace = 1,
  tcPopup,
  tcBorder,
  tcToolbar,
  tcImageList,
  tcDockBorderIn,
  tcDockBorderOut,
  tcDockBorderTitle,
  tcDragHandle,
  tcChecked,
  tcCheckedOver,
  tcSelBar,
  tcSelBarBorder,
  tcSelItem,
  tcSelItemBorder,
  tcSelPushed,
  tcSelPushedBorder,
  tcSeparator,
  tcImgListShadow,
  tcGradStart,
  tcGradEnd,
  tcPopupGradStart,
  tcPopupGradEnd,
  tcImgGradStart,
  tcImgGradEnd,
  tcText,
  tcHighlightText,
  tcCaptionText
};

class TTBBaseSkin;

class TTBColors {
public:
  explicit TTBColors(TTBBaseSkin *Owner) : owner_(Owner) {}
  // The stored value for 1..28, clNone for any other index.
  TColor ColorByIndex(int Index) const;
  // Stores only while the owner's colour set is custom; always refreshes.
  void SetColorByIndex(int Index, TColor Color);

private:
  friend class TTBBaseSkin;
  TTBBaseSkin *owner_;
  std::array<TColor, 29> values_{};
  std::array<TColor, 29> rgb_{};
};

// A window drawn with a skin, told when the skin changes its look.
class TTBSkinClient {
public:
  virtual ~TTBSkinClient() = default;
  virtual void SkinChanged() = 0;
};

class TTBBaseSkin {
public:
  TTBBaseSkin();
  virtual ~TTBBaseSkin();
  TTBBaseSkin(const TTBBaseSkin &) = delete;
  TTBBaseSkin &operator=(const TTBBaseSkin &) = delete;

  TTBColors Colors{this};
  // Cached RGB of a colour element 0..27 (bit 7 ignored); white otherwise.
  TColor ElementColor(int Element) const;

  TTBSkins SkinType() const { return skinType_; }
  TTBColorSets ColorSet() const { return colorSet_; }
  TTBOptions Options() const { return options_; }
  TTBGradDir Gradient() const { return gradient_; }
  TTBPopupStyle PopupStyle() const { return popupStyle_; }
  TTBImgBackStyle ImgBackStyle() const { return imgBackStyle_; }
  TShadowStyle ShadowStyle() const { return shadowStyle_; }
  bool IsDefaultSkin() const { return isDefault_; }
  bool ParentFont() const { return parentFont_; }
  const QFont &CaptionFont() const { return captionFont_; }
  int Tag = 0;

  void SetSkinType(TTBSkins Value);
  void SetColorSet(TTBColorSets Value);
  void SetOptions(TTBOptions Value);
  void SetGradient(TTBGradDir Value);
  void SetPopupStyle(TTBPopupStyle Value);
  void SetImgBackStyle(TTBImgBackStyle Value);
  void SetShadowStyle(TShadowStyle Value);
  void SetCaptionFont(const QFont &Font);
  void SetParentFont(bool Value);
  virtual void SetIsDefaultSkin(bool Value);

  void AddNotify(const void *Key, std::function<void()> Fn);
  void RemoveNotify(const void *Key);
  // Told once when the skin is destroyed.
  void AddFreeNotify(const void *Key, std::function<void()> Fn);
  void RemoveFreeNotify(const void *Key);
  void AddWindow(TTBSkinClient *Window);
  bool RemoveWindow(TTBSkinClient *Window);
  void UpdateColors();
  void RefreshWindows();
  int PopupBorderWidth() const;
  virtual void Assign(const TTBBaseSkin &Source);

protected:
  friend class TTBColors;
  friend class TTBSkinManager;
  void BuildColorSet();
  // This skin is the flagged default, so its changes go to DefaultSkin too.
  TTBBaseSkin *PropagationTarget() const;

  TTBSkins skinType_ = tbsOfficeXP;
  TTBColorSets colorSet_ = tbcOfficeXP;
  TTBOptions options_ = 0;
  TTBGradDir gradient_ = tbgTopBottom;
  TTBPopupStyle popupStyle_ = tbpsDefault;
  TTBImgBackStyle imgBackStyle_ = tbimsDefault;
  TShadowStyle shadowStyle_ = sOfficeXP;
  bool isDefault_ = false;
  bool parentFont_ = true;
  QFont defaultCaptionFont_;
  QFont captionFont_;
  struct Notify {
    const void *key;
    std::function<void()> fn;
  };
  std::vector<Notify> notifies_;
  std::vector<Notify> freeNotifies_;
  std::vector<TTBSkinClient *> windows_;
};

// A skin placed on a form: registers with the manager while it lives.
class TTBSkin : public TTBBaseSkin {
public:
  TTBSkin();
  ~TTBSkin() override;
  void SetIsDefaultSkin(bool Value) override;
  static const char *Version() { return "Version 1.00.15"; }
};

class TTBSkinManager {
public:
  TTBSkinManager();
  ~TTBSkinManager();
  void AddSkin(TTBSkin *Skin);
  void RemoveSkin(TTBSkin *Skin);
  void SetDefaultSkin(TTBSkin *Skin);
  const std::vector<TTBSkin *> &Skins() const { return skins_; }

private:
  std::vector<TTBSkin *> skins_;
  TTBBaseSkin saved_;
};

// The skin of everything whose own skin is empty; starts disabled.
TTBBaseSkin &DefaultSkin();
TTBSkinManager &SkinManager();
// The chevron length of toolbars: 12, 11 under the OfficeXP look.
int ChevronSize();

// The skin a view or popup draws with: its own when active, else the
// default skin when active, else none.
const TTBBaseSkin *ActiveSkin(const TTBBaseSkin *Own);

// How much a shadow strip darkens each pixel. Thickness is the strip's
// size across (its width when Vertical), D a pixel's distance from the
// casting window (0..Thickness-1) and J its position along the strip.
struct TShadowStrip {
  bool Vertical = false;
  bool StartCorner = false;
  bool EndCorner = false;
  int ExclStart = -1, ExclEnd = 0; // positions left untouched
  TShadowStyle Style = sOfficeXP;
};
// Darkens a captured strip in place; every channel stays in 0..255 for
// any thickness. A picture with a device pixel ratio above 1 is darkened
// by logical pixels, each covering that many device pixels.
void DarkenShadowStrip(QImage &Strip, const TShadowStrip &S);
// The same shadow as a translucent picture of the strip's logical size, for
// a compositor to lay over whatever lies beneath.
QImage TranslucentShadowStrip(QSize Size, const TShadowStrip &S);

} // namespace kc::tb
