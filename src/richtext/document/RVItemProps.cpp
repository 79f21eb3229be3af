// The integer properties that each item class lets the editor set by name.
// One table per class names them with the range they can hold; a class
// answers its own names and passes the rest to its base.
#include <algorithm>
#include <limits>

#include "platform/ImageList.h"
#include "richtext/document/RVItem.h"

namespace kc {

namespace {

constexpr int kIntMin = std::numeric_limits<int>::min();
constexpr int kIntMax = std::numeric_limits<int>::max();

template <class T> struct TIntProp {
  std::string_view Name;
  int Min, Max;
  int (*Get)(const T &);
  void (*Set)(T &, int);
};

template <class T, size_t N>
bool GetProp(const TIntProp<T> (&Table)[N], const T &Obj, std::string_view Name, int &Value) {
  for (const TIntProp<T> &p : Table)
    if (p.Name == Name) {
      Value = p.Get(Obj);
      return true;
    }
  return false;
}

template <class T, size_t N> bool SetProp(const TIntProp<T> (&Table)[N], T &Obj, std::string_view Name, int Value) {
  for (const TIntProp<T> &p : Table)
    if (p.Name == Name) {
      p.Set(Obj, std::clamp(Value, p.Min, p.Max));
      return true;
    }
  return false;
}

const TIntProp<TRVNonTextItemInfo> kNonTextProps[] = {
    {"DeleteProtect", 0, 1, [](const TRVNonTextItemInfo &i) { return int(i.DeleteProtect); },
     [](TRVNonTextItemInfo &i, int v) { i.DeleteProtect = v != 0; }},
};

const TIntProp<TRVRectItemInfo> kRectProps[] = {
    {"VAlign", rvvaBaseline, rvvaMiddle, [](const TRVRectItemInfo &i) { return int(i.VAlign); },
     [](TRVRectItemInfo &i, int v) { i.VAlign = static_cast<TRVVAlign>(v); }},
    // A shift beyond the largest picture side would only push the line
    // off any sensible page; it also keeps the line arithmetic in range.
    {"VShift", -kMaxGraphicSide, kMaxGraphicSide, [](const TRVRectItemInfo &i) { return int(i.VShift); },
     [](TRVRectItemInfo &i, int v) { i.VShift = v; }},
    {"VShiftAbs", 0, 1, [](const TRVRectItemInfo &i) { return int(i.VShiftAbs); },
     [](TRVRectItemInfo &i, int v) { i.VShiftAbs = v != 0; }},
    {"Spacing", 0, kMaxGraphicSide, [](const TRVRectItemInfo &i) { return int(i.Spacing); },
     [](TRVRectItemInfo &i, int v) { i.SetSpacing(v); }},
    {"MinHeightOnPage", 0, kIntMax, [](const TRVRectItemInfo &i) { return int(i.MinHeightOnPage); },
     [](TRVRectItemInfo &i, int v) { i.MinHeightOnPage = v; }},
};

const TIntProp<TRVBreakItemInfo> kBreakProps[] = {
    {"LineWidth", 0, 255, [](const TRVBreakItemInfo &i) { return int(i.LineWidth); },
     [](TRVBreakItemInfo &i, int v) { i.LineWidth = uint8_t(v); }},
    {"BreakStyle", 0, 2, [](const TRVBreakItemInfo &i) { return int(i.BreakStyle); },
     [](TRVBreakItemInfo &i, int v) { i.BreakStyle = uint8_t(v); }},
    {"Color", kIntMin, kIntMax, [](const TRVBreakItemInfo &i) { return int(i.Color); },
     [](TRVBreakItemInfo &i, int v) { i.Color = TColor(v); }},
};

const TIntProp<TRVGraphicItemInfo> kGraphicProps[] = {
    {"ImageWidth", kIntMin, kMaxGraphicSide, [](const TRVGraphicItemInfo &i) { return int(i.ImageWidth); },
     [](TRVGraphicItemInfo &i, int v) { i.ImageWidth = v; }},
    {"ImageHeight", kIntMin, kMaxGraphicSide, [](const TRVGraphicItemInfo &i) { return int(i.ImageHeight); },
     [](TRVGraphicItemInfo &i, int v) { i.ImageHeight = v; }},
    {"NoHTMLImageSize", 0, 1, [](const TRVGraphicItemInfo &i) { return int(i.NoHTMLImageSize); },
     [](TRVGraphicItemInfo &i, int v) { i.NoHTMLImageSize = v != 0; }},
};

const TIntProp<TRVBulletItemInfo> kBulletProps[] = {
    // An index the list does not have is taken as the nearest one it has.
    {"ImageIndex", 0, kIntMax, [](const TRVBulletItemInfo &i) { return int(i.ImageIndex); },
     [](TRVBulletItemInfo &i, int v) {
       i.ImageIndex = i.ImageList && i.ImageList->Count() > 0 ? std::min(v, i.ImageList->Count() - 1) : v;
     }},
    {"NoHTMLImageSize", 0, 1, [](const TRVBulletItemInfo &i) { return int(i.NoHTMLImageSize); },
     [](TRVBulletItemInfo &i, int v) { i.NoHTMLImageSize = v != 0; }},
};

const TIntProp<TRVHotspotItemInfo> kHotspotProps[] = {
    {"HotImageIndex", 0, kIntMax, [](const TRVHotspotItemInfo &i) { return int(i.HotImageIndex); },
     [](TRVHotspotItemInfo &i, int v) {
       i.HotImageIndex = i.ImageList && i.ImageList->Count() > 0 ? std::min(v, i.ImageList->Count() - 1) : v;
     }},
};

const TIntProp<TRVControlItemInfo> kControlProps[] = {
    {"Resizable", 0, 1, [](const TRVControlItemInfo &i) { return int(i.Resizable); },
     [](TRVControlItemInfo &i, int v) { i.Resizable = v != 0; }},
    {"PercentWidth", 0, 100, [](const TRVControlItemInfo &i) { return int(i.PercentWidth); },
     [](TRVControlItemInfo &i, int v) { i.PercentWidth = v; }},
};

} // namespace

bool TRVNonTextItemInfo::GetIntPropertyByName(std::string_view Name, int &Value) const {
  return GetProp(kNonTextProps, *this, Name, Value) || TCustomRVItemInfo::GetIntPropertyByName(Name, Value);
}
bool TRVNonTextItemInfo::SetIntPropertyByName(std::string_view Name, int Value) {
  return SetProp(kNonTextProps, *this, Name, Value) || TCustomRVItemInfo::SetIntPropertyByName(Name, Value);
}

bool TRVRectItemInfo::GetIntPropertyByName(std::string_view Name, int &Value) const {
  return GetProp(kRectProps, *this, Name, Value) || TRVNonTextItemInfo::GetIntPropertyByName(Name, Value);
}
bool TRVRectItemInfo::SetIntPropertyByName(std::string_view Name, int Value) {
  return SetProp(kRectProps, *this, Name, Value) || TRVNonTextItemInfo::SetIntPropertyByName(Name, Value);
}

bool TRVBreakItemInfo::GetIntPropertyByName(std::string_view Name, int &Value) const {
  return GetProp(kBreakProps, *this, Name, Value) || TRVFullLineItemInfo::GetIntPropertyByName(Name, Value);
}
bool TRVBreakItemInfo::SetIntPropertyByName(std::string_view Name, int Value) {
  return SetProp(kBreakProps, *this, Name, Value) || TRVFullLineItemInfo::SetIntPropertyByName(Name, Value);
}

bool TRVGraphicItemInfo::GetIntPropertyByName(std::string_view Name, int &Value) const {
  return GetProp(kGraphicProps, *this, Name, Value) || TRVRectItemInfo::GetIntPropertyByName(Name, Value);
}
bool TRVGraphicItemInfo::SetIntPropertyByName(std::string_view Name, int Value) {
  return SetProp(kGraphicProps, *this, Name, Value) || TRVRectItemInfo::SetIntPropertyByName(Name, Value);
}

bool TRVBulletItemInfo::GetIntPropertyByName(std::string_view Name, int &Value) const {
  return GetProp(kBulletProps, *this, Name, Value) || TRVRectItemInfo::GetIntPropertyByName(Name, Value);
}
bool TRVBulletItemInfo::SetIntPropertyByName(std::string_view Name, int Value) {
  return SetProp(kBulletProps, *this, Name, Value) || TRVRectItemInfo::SetIntPropertyByName(Name, Value);
}

bool TRVHotspotItemInfo::GetIntPropertyByName(std::string_view Name, int &Value) const {
  return GetProp(kHotspotProps, *this, Name, Value) || TRVBulletItemInfo::GetIntPropertyByName(Name, Value);
}
bool TRVHotspotItemInfo::SetIntPropertyByName(std::string_view Name, int Value) {
  return SetProp(kHotspotProps, *this, Name, Value) || TRVBulletItemInfo::SetIntPropertyByName(Name, Value);
}

bool TRVControlItemInfo::GetIntPropertyByName(std::string_view Name, int &Value) const {
  return GetProp(kControlProps, *this, Name, Value) || TRVRectItemInfo::GetIntPropertyByName(Name, Value);
}
bool TRVControlItemInfo::SetIntPropertyByName(std::string_view Name, int Value) {
  return SetProp(kControlProps, *this, Name, Value) || TRVRectItemInfo::SetIntPropertyByName(Name, Value);
}

} // namespace kc
