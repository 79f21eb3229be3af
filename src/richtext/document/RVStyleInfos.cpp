// Style tables: entries, merging a table read from a file, stored forms of whole tables.
#include "richtext/document/RVStyle.h"

#include "richtext/document/RVStyleIni.h"
#include "richtext/document/RVStyleProps.h"
#include "richtext/document/RVStyleStored.h"

namespace kc {

using namespace styleio;

// ============================================================== TCustomRVInfos

TCustomRVInfos::TCustomRVInfos(TRVStyle *Owner, EntryFactory Factory) : FFactory(std::move(Factory)), FOwner(Owner) {}

TCustomRVInfos::~TCustomRVInfos() = default;

TCustomRVInfo *TCustomRVInfos::GetItem(int Index) const {
  return (Index >= 0 && Index < Count()) ? FItems[size_t(Index)].get() : nullptr;
}

int TCustomRVInfos::IndexOf(const TCustomRVInfo *Item) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == Item) return int(i);
  return -1;
}

TCustomRVInfo *TCustomRVInfos::AddEntry() {
  std::unique_ptr<TCustomRVInfo> e = FFactory();
  e->FCollection = this;
  FItems.push_back(std::move(e));
  return FItems.back().get();
}

void TCustomRVInfos::Delete(int Index) {
  if (Index >= 0 && Index < Count()) FItems.erase(FItems.begin() + Index);
}

void TCustomRVInfos::Clear() { FItems.clear(); }

void TCustomRVInfos::Assign(const TCustomRVInfos &Source) {
  if (&Source == this) return;
  Clear();
  for (const auto &e : Source.FItems) AddEntry()->Assign(*e);
}

void TCustomRVInfos::AssignTo(std::vector<std::string> &Strings) const {
  Strings.clear();
  for (const auto &e : FItems) Strings.push_back(e->StyleName);
}

namespace {
// A style number taken through a mapping; one the mapping does not know is "none".
int32_t MapStyleNo(int32_t No, const TRVIntegerList &Mapping) {
  if (No < 0) return No;
  if (No >= Mapping.Count()) return -1;
  int32_t r = Mapping[No];
  return r < 0 ? -1 : r;
}
} // namespace

namespace {

// Copies src to a new target entry and answers its index.
int AppendCopy(TCustomRVInfos &T, const TCustomRVInfo &Src) {
  int idx = T.Count();
  T.AddEntry()->Assign(Src);
  return idx;
}

// The most similar target entry of those that pass accept: the first one,
// replaced only by a strictly more similar one; -1 when none passes.
template <class Accept> int MostSimilar(const TCustomRVInfos &T, const TCustomRVInfo &Src, Accept accept) {
  int best = -1;
  int64_t bestValue = 0;
  for (int j = 0; j < T.Count(); ++j) {
    if (!accept(*T.GetItem(j))) continue;
    int64_t v = Src.SimilarityValue(*T.GetItem(j));
    if (best < 0 || v > bestValue) {
      best = j;
      bestValue = v;
    }
  }
  return best;
}

// Map mode: nothing is added. Text styles look among the same kind first:
// hyperlink and text width alike, then the hyperlink alike, then the width.
int MapToMostSimilar(const TCustomRVInfos &T, const TCustomRVInfo &Src) {
  int best = -1;
  if (auto *s = dynamic_cast<const TFontInfo *>(&Src)) {
    auto sameJump = [&](const TCustomRVInfo &t) { return static_cast<const TFontInfo &>(t).Jump == s->Jump; };
    auto sameUni = [&](const TCustomRVInfo &t) { return static_cast<const TFontInfo &>(t).Unicode == s->Unicode; };
    best = MostSimilar(T, Src, [&](const TCustomRVInfo &t) { return sameJump(t) && sameUni(t); });
    if (best < 0) best = MostSimilar(T, Src, sameJump);
    if (best < 0) best = MostSimilar(T, Src, sameUni);
  }
  if (best < 0) best = MostSimilar(T, Src, [](const TCustomRVInfo &) { return true; });
  return best;
}

// Smart merge: an equal target entry at the same index, else the first equal
// one, else a copy. A numbered list takes its target for itself.
void SmartMerge(TCustomRVInfos &T, const TCustomRVInfos &Source, TRVIntegerList &Mapping) {
  const bool isList = dynamic_cast<const TRVListInfos *>(&T) != nullptr;
  std::vector<bool> used;
  auto isUsed = [&](int j) { return isList && j < int(used.size()) && used[size_t(j)]; };
  for (int i = 0; i < Source.Count(); ++i) {
    const TCustomRVInfo &src = *Source.GetItem(i);
    // The existing entry is the one compared and the entry read is the
    // value: the mapping turns the read entry's references (source
    // numbers) into target numbers, which only then compare with the
    // existing entry's. Comparing the other way round would look target
    // numbers up in a source-to-target mapping. Neither entry is changed.
    auto fits = [&](int j) { return !isUsed(j) && T.GetItem(j)->IsEqualToMapped(src, Mapping); };
    int chosen = -1;
    if (i < T.Count() && fits(i)) chosen = i;
    else
      for (int j = 0; j < T.Count() && chosen < 0; ++j)
        if (fits(j)) chosen = j;
    if (chosen < 0) chosen = AppendCopy(T, src);
    if (isList && static_cast<const TRVListInfo &>(src).HasNumbering()) {
      if (int(used.size()) <= chosen) used.resize(size_t(chosen) + 1, false);
      used[size_t(chosen)] = true;
    }
    Mapping.Add(chosen);
  }
}

} // namespace

void TCustomRVInfos::MergeWith(const TCustomRVInfos &Source, TRVStyleMergeMode Mode, TRVIntegerList &Mapping,
                               const TRVIntegerList *TextStyleMapping) {
  Mapping.Clear();
  const int oldCount = Count();
  switch (Mode) {
  case rvs_merge_Append:
    for (int i = 0; i < Source.Count(); ++i) Mapping.Add(AppendCopy(*this, *Source.GetItem(i)));
    break;
  case rvs_merge_Map:
    for (int i = 0; i < Source.Count(); ++i) Mapping.Add(MapToMostSimilar(*this, *Source.GetItem(i)));
    break;
  case rvs_merge_SmartMerge: SmartMerge(*this, Source, Mapping); break;
  }
  // The entries just added are the file's: their references become ours.
  for (int i = oldCount; i < Count(); ++i) {
    TCustomRVInfo *e = GetItem(i);
    e->Standard = false;
    e->BaseStyleNo = MapStyleNo(e->BaseStyleNo, Mapping);
    if (auto *f = dynamic_cast<TFontInfo *>(e)) {
      f->NextStyleNo = MapStyleNo(f->NextStyleNo, Mapping);
    } else if (auto *p = dynamic_cast<TParaInfo *>(e)) {
      p->NextParaNo = MapStyleNo(p->NextParaNo, Mapping);
      if (TextStyleMapping) p->DefStyleNo = MapStyleNo(p->DefStyleNo, *TextStyleMapping);
    }
  }
}

namespace {
// What a table answers for a style number out of range, made once: a new
// entry, copied from the first one when there is one, that Mark then makes
// stand out.
template <class Entry, class Table, class MarkFn>
Entry *StandIn(const Table &T, std::unique_ptr<Entry> &Slot, MarkFn Mark) {
  if (!Slot) {
    Slot.reset(static_cast<Entry *>(T.NewEntry().release()));
    if (T.Count() > 0) Slot->Assign(*T.Items(0));
    Mark(*Slot);
  }
  return Slot.get();
}
} // namespace

// ================================================================== TFontInfos

TFontInfos::TFontInfos(TRVStyle *Owner, EntryFactory Factory)
    : TCustomRVInfos(Owner, Factory ? std::move(Factory) : EntryFactory([] { return std::make_unique<TFontInfo>(); })) {
}

TFontInfos::~TFontInfos() = default;

TFontInfo *TFontInfos::AddTextStyle(const std::string &FontName, int32_t Size, TColor Color, TColor BackColor,
                                    TFontStyles Style) {
  TFontInfo *f = Add();
  f->FontName = FontName;
  f->Size = Size;
  f->Color = Color;
  f->BackColor = BackColor;
  f->Style = Style;
  return f;
}

TFontInfo *TFontInfos::AddTextStyle(const std::string &Name, const std::string &FontName, TFontStyles Style,
                                    int32_t Size, TColor Color) {
  TFontInfo *f = Add();
  f->StyleName = Name;
  f->FontName = FontName;
  f->Style = Style;
  f->Size = Size;
  f->Color = Color;
  return f;
}

TFontInfo *TFontInfos::GetTextStyleSafe(int Index) const {
  if (Index >= 0 && Index < Count()) return Items(Index);
  return StandIn(*this, FInvalidItem, [](TFontInfo &f) {
    f.Color = 0xFFFFFF;
    f.BackColor = 0x0000FF;
  });
}

int TFontInfos::FindStyleWithCharset(int StyleNo, uint8_t Charset) const {
  const TFontInfo *s = Items(StyleNo);
  if (!s) return -1;
  if (s->Charset == Charset && !s->Unicode) return StyleNo;
  const TRVFontInfoProperties ignore{rvfiCharset, rvfiUnicode};
  for (int i = 0; i < Count(); ++i) {
    const TFontInfo *f = Items(i);
    if (i != StyleNo && f->Charset == Charset && !f->Unicode && s->IsEqualEx(*f, ignore)) return i;
  }
  return -1;
}

// ================================================================== TParaInfos

TParaInfos::TParaInfos(TRVStyle *Owner, EntryFactory Factory)
    : TCustomRVInfos(Owner, Factory ? std::move(Factory) : EntryFactory([] { return std::make_unique<TParaInfo>(); })) {
}

TParaInfos::~TParaInfos() = default;

TParaInfo *TParaInfos::GetParaStyleSafe(int Index) const {
  if (Index >= 0 && Index < Count()) return Items(Index);
  return StandIn(*this, FInvalidItem, [](TParaInfo &p) {
    p.LeftIndent = 1;
    p.RightIndent = 1;
    p.SpaceBefore = 1;
    p.SpaceAfter = 1;
    p.Border.Style = rvbSingle;
    p.Border.Color = 0x0000FF;
    p.Border.Width = 2;
    p.Border.BorderOffsets.SetAll(1);
  });
}

int TParaInfos::FindSuchStyle(int BaseStyle, const TParaInfo &Style, TRVParaInfoProperties Mask) const {
  const TRVParaInfoProperties ignore = RVAllParaInfoProperties() - Mask;
  if (const TParaInfo *p = Items(BaseStyle); p && p->IsEqualEx(Style, ignore)) return BaseStyle;
  for (int i = 0; i < Count(); ++i)
    if (i != BaseStyle && Items(i)->IsEqualEx(Style, ignore)) return i;
  return -1;
}

// ================================================================ TRVListInfos

TRVListInfos::TRVListInfos(TRVStyle *Owner, EntryFactory Factory)
    : TCustomRVInfos(Owner,
                     Factory ? std::move(Factory) : EntryFactory([] { return std::make_unique<TRVListInfo>(); })) {}

void TRVListInfos::RemoveImageList(const TCustomImageList *ImageList) {
  for (int i = 0; i < Count(); ++i) {
    TRVListInfo *l = Items(i);
    for (int j = 0; j < l->Levels.Count(); ++j)
      if (l->Levels.Items(j)->ImageList == ImageList) l->Levels.Items(j)->ImageList = nullptr;
  }
}

// ---------------------------------------------------------------- the tables

std::string TCustomRVInfos::SaveToStream(const TRVStyleStreamLinks *Links) const {
  TRVPropertyWriter W;
  W.Out += char(vaCollection);
  for (const auto &e : FItems) {
    W.BeginItem();
    e->WriteStoredProperties(W, Links);
    W.EndList();
  }
  W.EndList();
  return W.Out;
}

bool TCustomRVInfos::LoadFromStream(std::string_view Data, bool &UnknownProperty, const TRVStyleStreamLinks *Links) {
  Clear();
  TRVPropertyReader r(Data);
  uint8_t t;
  if (!r.Byte(t) || t != vaCollection) return false;
  std::vector<TRVStoredValue::TItem> items;
  bool complete = r.Items(items, 1);
  for (const auto &item : items) {
    TCustomRVInfo *e = AddEntry();
    for (size_t k = 0; k < item.Names.size(); ++k)
      if (!e->ReadStoredProperty(item.Names[k], item.Values[k], Links)) UnknownProperty = true;
  }
  return complete;
}

} // namespace kc
