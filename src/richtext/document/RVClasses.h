#pragma once
// The lists under the document model: an object list that owns its objects,
// integer and colour lists, and the font table of RTF export.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kc {

// The one exception class of the rich-text subsystems.
class ERichVistaError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The class library's list index error: "List index out of bounds (%d)".
class EListError : public std::out_of_range {
public:
  explicit EListError(long long index)
      : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")") {}
};

// A list that owns its objects: clearing and deleting free them.
template <class T> class TRVList {
public:
  TRVList() = default;
  TRVList(const TRVList &) = delete;
  TRVList &operator=(const TRVList &) = delete;
  virtual ~TRVList() = default;

  int Count() const { return static_cast<int>(FItems.size()); }
  T *Items(int Index) const { return FItems.at(Check(Index)).get(); }
  T *operator[](int Index) const { return Items(Index); }
  T *First() const { return Items(0); }
  T *Last() const { return Items(Count() - 1); }

  // Takes ownership; returns the new index.
  int Add(std::unique_ptr<T> Item) {
    FItems.push_back(std::move(Item));
    return Count() - 1;
  }
  void Insert(int Index, std::unique_ptr<T> Item) {
    if (Index < 0 || Index > Count()) throw EListError(Index);
    FItems.insert(FItems.begin() + Index, std::move(Item));
  }
  // Frees the object and removes the entry.
  void Delete(int Index) { FItems.erase(FItems.begin() + Check(Index)); }
  // Removes the entry without freeing: ownership passes to the caller.
  [[nodiscard]] std::unique_ptr<T> DeleteAsPointer(int Index) {
    std::unique_ptr<T> p = std::move(FItems[Check(Index)]);
    FItems.erase(FItems.begin() + Index);
    return p;
  }
  // Replaces the object at Index, freeing the old one.
  void Put(int Index, std::unique_ptr<T> Item) { FItems[Check(Index)] = std::move(Item); }
  void Move(int From, int To) {
    std::unique_ptr<T> p = DeleteAsPointer(From);
    Insert(To, std::move(p));
  }
  int IndexOf(const T *Item) const {
    for (size_t i = 0; i < FItems.size(); ++i)
      if (FItems[i].get() == Item) return static_cast<int>(i);
    return -1;
  }
  // Frees every object, then empties the list.
  virtual void Clear() { FItems.clear(); }

  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

protected:
  int Check(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(Index);
    return Index;
  }
  std::vector<std::unique_ptr<T>> FItems;
};

// A list of 32-bit integers.
class TRVIntegerList {
public:
  TRVIntegerList() = default;
  virtual ~TRVIntegerList() = default;
  // Count copies of Value; a negative count gives an empty list.
  static TRVIntegerList CreateFilled(int Count, int32_t Value);
  static TRVIntegerList CreateCopy(const TRVIntegerList &Source);

  int Count() const { return static_cast<int>(FItems.size()); }
  int32_t Items(int Index) const { return FItems[Check(Index)]; }
  int32_t operator[](int Index) const { return Items(Index); }
  void Put(int Index, int32_t Value) { FItems[Check(Index)] = Value; }
  int Add(int32_t Value) {
    FItems.push_back(Value);
    return Count() - 1;
  }
  void Insert(int Index, int32_t Value);
  void Delete(int Index) { FItems.erase(FItems.begin() + Check(Index)); }
  void Clear() { FItems.clear(); }
  int IndexOf(int32_t Value) const;
  void Assign(const TRVIntegerList &Source);
  // Clears and adds Count copies of Value (none for a negative count).
  void Fill(int Count, int32_t Value);
  // The index of an equal value, else the value is appended.
  virtual int AddUnique(int32_t Value);
  void SortAscending();

  const std::vector<int32_t> &Values() const { return FItems; }

protected:
  int Check(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(Index);
    return Index;
  }
  std::vector<int32_t> FItems;
};

// The colour table of RTF export: clNone (0x1FFFFFFF) is never added.
class TRVColorList : public TRVIntegerList {
public:
  // The index of the colour; -1 for clNone.
  int AddUnique(int32_t Value) override;
};

struct TRVRTFFontTableItem {
  std::string FontName;
  uint8_t Charset = 0;
};

// The font table of RTF export.
class TRVRTFFontTable : public TRVList<TRVRTFFontTableItem> {
public:
  // The entry with this name (case-insensitive, by the locale) and charset; -1 when none.
  int Find(const std::string &FontName, uint8_t Charset) const;
  int AddUnique(const std::string &FontName, uint8_t Charset);
};

} // namespace kc
