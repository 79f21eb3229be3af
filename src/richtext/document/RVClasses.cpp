#include "richtext/document/RVClasses.h"

#include "platform/CodePage.h"

namespace kc {

TRVIntegerList TRVIntegerList::CreateFilled(int Count, int32_t Value) {
  TRVIntegerList l;
  l.Fill(Count, Value);
  return l;
}

TRVIntegerList TRVIntegerList::CreateCopy(const TRVIntegerList &Source) {
  TRVIntegerList l;
  l.Assign(Source);
  return l;
}

void TRVIntegerList::Insert(int Index, int32_t Value) {
  if (Index < 0 || Index > Count()) throw EListError(Index);
  FItems.insert(FItems.begin() + Index, Value);
}

int TRVIntegerList::IndexOf(int32_t Value) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i] == Value) return static_cast<int>(i);
  return -1;
}

void TRVIntegerList::Assign(const TRVIntegerList &Source) {
  if (&Source == this) return;
  FItems = Source.FItems;
}

void TRVIntegerList::Fill(int Count, int32_t Value) {
  FItems.clear();
  if (Count > 0) FItems.assign(static_cast<size_t>(Count), Value);
}

int TRVIntegerList::AddUnique(int32_t Value) {
  int i = IndexOf(Value);
  return i >= 0 ? i : Add(Value);
}

void TRVIntegerList::SortAscending() { std::sort(FItems.begin(), FItems.end()); }

int TRVColorList::AddUnique(int32_t Value) {
  if (Value == 0x1FFFFFFF) return -1;
  return TRVIntegerList::AddUnique(Value);
}

int TRVRTFFontTable::Find(const std::string &FontName, uint8_t Charset) const {
  for (int i = 0; i < Count(); ++i) {
    const TRVRTFFontTableItem *it = Items(i);
    if (it->Charset == Charset && ansiCompareText(it->FontName, FontName) == 0) return i;
  }
  return -1;
}

int TRVRTFFontTable::AddUnique(const std::string &FontName, uint8_t Charset) {
  int i = Find(FontName, Charset);
  if (i >= 0) return i;
  auto item = std::make_unique<TRVRTFFontTableItem>();
  item->FontName = FontName;
  item->Charset = Charset;
  return Add(std::move(item));
}

} // namespace kc
