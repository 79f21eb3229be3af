#pragma once
// Draw lines: the placed pieces of items that formatting makes, kept in
// document order, with a hole that partial reformatting fills again.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "richtext/document/RVClasses.h"

namespace kc {

class TRVDrawLineInfo {
public:
  TRVDrawLineInfo() = default;
  TRVDrawLineInfo(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight, int32_t AItemNo, bool AFromNewLine)
      : Left(ALeft), Top(ATop), Width(AWidth), Height(AHeight), ItemNo(AItemNo), FromNewLine(AFromNewLine) {}
  virtual ~TRVDrawLineInfo() = default;

  int32_t ExtraSpaceBefore = 0; // justification
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t ItemNo = 0;
  int32_t Offs = 0;   // 1-based character offset in the item's text
  int32_t Length = 0; // characters
  int32_t ExtraSpaceBelow = 0;
  bool FromNewLine = false; // the piece starts a line

  virtual void SetData(int32_t ALeft, int32_t ATop, int32_t AItemNo, bool AFromNewLine);
  virtual void SetSize(int32_t AWidth, int32_t AHeight);
  // Splitting over pages: only printing pieces can be split.
  virtual bool InitSplit() { return false; }
  virtual bool CanSplitFirst(int32_t /*Y*/) { return false; }
  virtual bool SplitAt(int32_t /*Y*/) { return false; }

private:
  friend class TRVDrawLines;
  // The list's shift totals when Top and ItemNo were last brought up to
  // date (see TRVDrawLines::Shift).
  uint32_t FTopMark = 0, FItemMark = 0;
};

// The draw lines of a formatted document. Slots of an open hole hold no
// record (Items gives nullptr) and still count.
class TRVDrawLines {
public:
  TRVDrawLines() = default;
  TRVDrawLines(const TRVDrawLines &) = delete;
  TRVDrawLines &operator=(const TRVDrawLines &) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  TRVDrawLineInfo *Items(int Index) const;
  TRVDrawLineInfo *operator[](int Index) const { return Items(Index); }

  int HoleStart = -1;
  int HoleCount = 0;

  int Add(std::unique_ptr<TRVDrawLineInfo> Rec);
  // With an open hole the record takes one of its slots (the first one when
  // it goes to the hole's start, as formatting puts it), so that the records
  // behind the hole keep their indices; else a plain insertion.
  void Insert(int Index, std::unique_ptr<TRVDrawLineInfo> Rec);
  // Frees the record; with an open hole its slot joins the hole, so that
  // the records after the hole keep their indices.
  void Delete(int Index);
  // Frees the records First..Last and makes their slots the hole (an open
  // hole is closed first). Out-of-range bounds are cut to the list.
  void MarkHole(int First, int Last);
  // Removes the remaining hole slots.
  void CloseHole();
  void Clear();
  // Moves the lines from From on by Dy pixels down and DItem item numbers
  // up. It costs what the smaller side costs: when the lines before From
  // are fewer (a transcript losing its oldest lines), the shift is noted
  // for every line, each line takes it when it is next looked at, and only
  // the lines before From are exempted.
  void Shift(int From, int Dy, int DItem);

  // An item keeps the number of its first draw line as a mark that stays
  // true while lines before it come and go: RenumberFrom moves every mark
  // at once when the lines before From are fewer than those after.
  int MarkOfIndex(int Index) const { return Index < 0 ? -1 : Index + FIndexBase; }
  int IndexOfMark(int Mark) const { return Mark < FIndexBase ? -1 : Mark - FIndexBase; }
  // The marks of lines from From on now name lines Delta further on. True
  // when all marks moved and the callers must write the marks of the
  // lines before From again; false when they must write those from From.
  bool RenumberFrom(int From, int Delta);

  // The characters of the item text that the draw line shows; itemText is
  // UTF-16 (two bytes a character) when unicode is set.
  std::string GetDrawItemText(int Index, const std::string &itemText, bool unicode) const;
  // The same for the characters Start .. Start + Len - 1 (1-based item
  // offsets), cut to the draw line.
  std::string GetDrawItemText(int Index, const std::string &itemText, bool unicode, int Start, int Len) const;

private:
  // Brings a line's Top and ItemNo up to the shift totals.
  void Settle(TRVDrawLineInfo &D) const;
  void Mark(TRVDrawLineInfo &D) const { D.FTopMark = FTopShift, D.FItemMark = FItemShift; }
  // A deque, so that lines leave the front without moving the rest.
  std::deque<std::unique_ptr<TRVDrawLineInfo>> FItems;
  // Totals of the shifts given to every line (modulo 2^32), and how far
  // they moved since each line last settled at most.
  uint32_t FTopShift = 0, FItemShift = 0;
  int64_t FPending = 0;
  int FIndexBase = 0;
};

} // namespace kc
