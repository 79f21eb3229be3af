#pragma once
// List markers: the item that begins every paragraph of a bulleted or
// numbered list, and the list of all markers of a document tree in document
// order, which numbering walks.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/document/RVItem.h"
#include "richtext/document/RVStyle.h"

namespace kc {

class TRVMarkerItemInfo;

// ---------------------------------------------------------------------------
// Number texts

// Roman numerals are written up to this value; larger ones are decimal.
constexpr int32_t RVMaxRomanNumber = 3999;
// A numbered level's format gets one argument per level, at most this many.
constexpr int RVMaxMarkerArguments = 256;

std::string RVMarkerDecimal(int32_t Value);
// Bijective base 26 (1 = a, 26 = z, 27 = aa); empty below 1.
std::string RVMarkerAlpha(int32_t Value, bool Upper);
// Standard Roman numerals; "?" below 1, decimal above RVMaxRomanNumber.
std::string RVMarkerRoman(int32_t Value, bool Upper);
// The number text of a list type; empty for the types without numbers.
std::string RVMarkerNumberText(TRVListType ListType, int32_t Value);

// ---------------------------------------------------------------------------
// The marker list

class TRVMarkerList {
public:
  TRVMarkerList() = default;
  ~TRVMarkerList();
  TRVMarkerList(const TRVMarkerList &) = delete;
  TRVMarkerList &operator=(const TRVMarkerList &) = delete;

  // The list of the document a fragment was loaded into: consulted for
  // parents that this list does not hold. Not owned.
  TRVMarkerList *PrevMarkerList = nullptr;

  int Count() const { return static_cast<int>(FItems.size()); }
  // nullptr when out of range.
  TRVMarkerItemInfo *Items(int Index) const;
  TRVMarkerItemInfo *operator[](int Index) const { return Items(Index); }
  int IndexOf(const TRVMarkerItemInfo *Marker) const;

  // Puts Marker behind Previous (at the start without one, or when Previous
  // is not in the list); returns the position, which the marker caches.
  int InsertAfter(TRVMarkerItemInfo *Marker, TRVMarkerItemInfo *Previous);
  // Takes the entry out (the marker is not freed).
  void Delete(int Index);
  // Index the marker had, -1 when it was not in the list.
  int Remove(TRVMarkerItemInfo *Marker);
  void Clear();

  // Renumbers the markers of the list style of the marker at From, from
  // there to the end, and rebuilds their texts.
  void RecalcCounters(int From, const TRVStyle *RVStyle);
  // The nearest marker before Index (looking on into PrevMarkerList) of the
  // same list style and a lower level; false, -1 and nullptr when none.
  bool FindParentMarker(int Index, const TRVMarkerItemInfo *Marker, int &ParentIndex, TRVMarkerList *&ParentList) const;

  // Binary form: [size = 17 x count + 8], 0, count, then per marker ListNo,
  // Level, Reset (1 byte), StartFrom, Counter, little-endian.
  void SaveToStream(std::string &Stream, bool IncludeSize) const;
  // Clears the list and reads free-standing markers that the list owns.
  // False for data that is cut short or counts more markers than it holds.
  bool LoadFromStream(std::string_view Data, size_t &Pos, bool IncludeSize);
  // The binary form without the size, from a raw string.
  bool LoadBinary(const std::string &Data);
  // The hexadecimal RVF line.
  bool LoadText(const std::string &Hex);
  void SaveTextToStream(std::string &Stream) const;

private:
  std::vector<TRVMarkerItemInfo *> FItems;
  std::vector<std::unique_ptr<TRVMarkerItemInfo>> FOwned; // loaded markers
};

// The font table of RTF output as the style sheet makes it: the fonts of the
// text styles, then those of the list levels that have one.
void RVMakeRTFFontTable(const TRVStyle &RVStyle, TRVRTFFontTable &Table);

// ---------------------------------------------------------------------------
// The marker item

class TRVMarkerItemInfo : public TRVRectItemInfo {
public:
  explicit TRVMarkerItemInfo(TCustomRVData *RVData);
  // CreateMarker.
  TRVMarkerItemInfo(TCustomRVData *RVData, int AListNo, int ALevel, int AStartFrom, bool AReset);
  std::unique_ptr<TCustomRVItemInfo> NewInstance(TCustomRVData *RVData) const override;

  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Descent = 0;
  int32_t LeftShift = 0;
  int32_t IndexInList = -1;
  int32_t ListNo = -1;
  int32_t Level = 0;
  int32_t Counter = 1;
  bool Reset = false;
  int32_t StartFrom = 0;
  std::string DisplayString;
  bool NoHTMLImageSize = false;

  // The level description, or nullptr when the list style or the level does
  // not exist (a level above the last is taken as the last one).
  TRVListLevel *GetLevelInfo(const TRVStyle *RVStyle) const;
  int GetIndexInList(const TRVMarkerList *List);
  // Rebuilds DisplayString from the counters of this marker and its parents;
  // Index is the marker's position in List.
  void CalcDisplayString(const TRVStyle *RVStyle, const TRVMarkerList *List, int Index);
  // The same with the nearest parents already known (Parents, nearest
  // first, those of levels that have arguments); the walk for further
  // parents goes on from WalkFrom at Index of List.
  void BuildDisplayString(const TRVStyle *RVStyle, const std::vector<const TRVMarkerItemInfo *> &Parents,
                          const TRVMarkerItemInfo *WalkFrom, const TRVMarkerList *List, int Index);

  // Sizes as formatting measures them: the marker's own size, its descent,
  // and the parts of its room before and after the marker position.
  struct TRVMarkerSize {
    int Width = 0, Height = 0, Descent = 0, Before = 0, After = 0;
  };
  TRVMarkerSize CalcSize(TCanvas *Canvas, const TRVStyle *RVStyle, const TRVScreenAndDevice *sad) const;
  // Selects the level's font, colour and text state on the canvas.
  void SetupFont(TCanvas &Canvas, const TRVStyle *RVStyle, uint8_t ColorMode) const;
  void PaintMarker(int X, int Y, TCanvas &Canvas, const TRVStyle *RVStyle, uint8_t ColorMode) const;

  int GetMinWidth(const TRVScreenAndDevice *sad, TCanvas *Canvas, TCustomRVData *RVData) override;
  bool GetFlag(int Property) const override;
  bool GetStyleFlag(int Property, const TRVStyle *RVStyle) const override;
  void Paint(int X, int Y, TCanvas &Canvas, TRVItemDrawStates State, TRVStyle *Style,
             TRVDrawLineInfo *DrawLine) override;
  bool PrintToBitmap(TBitmap &Bitmap, bool Preview, TCustomRVData *RVData, TRVDrawLineInfo *DrawLine, int Part,
                     uint8_t ColorMode) override;
  void Print(TCanvas &Canvas, int X, int Y, int X2, bool Preview, bool Correction, const TRVScreenAndDevice &sad,
             TRVDrawLineInfo *DrawLine, int Part, uint8_t ColorMode, TCustomRVData *RVData) override;
  int GetImageWidth(const TRVStyle *RVStyle) const override;
  int GetImageHeight(const TRVStyle *RVStyle) const override;
  void Inserting(TCustomRVData *RVData, std::string &Text, bool Safe) override;
  void OnDocWidthChange(int DocWidth, TRVDrawLineInfo *DrawLine, bool Printing, TCanvas *Canvas, TCustomRVData *RVData,
                        const TRVScreenAndDevice *sad, bool &Resized, int &AHeight) override;
  // The same with the paragraph's direction given, for callers without a
  // document.
  void OnDocWidthChangeEx(TRVDrawLineInfo *DrawLine, bool Printing, TCanvas *Canvas, const TRVStyle *RVStyle,
                          const TRVScreenAndDevice *sad, bool RightToLeft);
  int GetHeight() const override { return Height; }
  int GetWidth() const override { return Width; }
  int GetDescent() const override { return LeftShift; }
  int GetSpacing() const override { return Descent; }

  std::string WriteRvfHeaderTail(TCustomRVData *RVData) const override;
  bool ReadRvfHeaderTail(const std::string &Field, TCustomRVData *RVData) override;
  int GetRvfExtraPropertyCount() const override;
  void WriteRvfExtraProperties(std::string &Stream) const override;
  void AssignProperties(const TCustomRVItemInfo &Source) override;
  void SaveRVF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
               bool ForceSameAsPrev) override;
  void SaveToHTML(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Text,
                  TRVHTMLSaveContext &Context) override;
  // The style attribute of the list item of a picture or image-list level
  // in the CSS flavour of HTML (the picture written to its file); empty for
  // other levels.
  std::string GetHTMLListItemStyle(TCustomRVData *RVData, TRVHTMLSaveContext &Context);
  std::string AsText(int LineWidth, char LineChar, TCustomRVData *RVData, const std::string &Text,
                     const std::string &Path, bool TextOnly, bool Unicode) override;
  // The text form from a style sheet; Unicode gives raw UTF-16.
  std::string GetMarkerText(const TRVStyle *RVStyle, bool Unicode) const;
  void SaveRTF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
               TRVRTFSaveContext &Context) override;
  // The RTF of the marker with the writer's font table and the number of
  // the list override the marker belongs to.
  void SaveRTFEx(std::string &Stream, const TRVStyle *RVStyle, const TRVRTFFontTable *FontTable, int ListOverrideNo,
                 TRVRTFSaveContext &Context) const;
  void FillRTFTables(TRVColorList &ColorList, TRVRTFFontTable &FontTable, TCustomRVData *RVData) override;
  // Whether the marker takes a list override of its own in RTF: it restarts
  // a numbered level (image counters excepted).
  bool RestartsRTFList(const TRVStyle *RVStyle) const;
  // The \ls number of the marker: its list style's own override (list style
  // number + 1), or for a restarting marker one of those numbered on after
  // them, list style by list style and in document order within each.
  int GetRTFListOverrideNo(const TRVStyle *RVStyle, const TRVMarkerList *List) const;
  void MovingToUndoList(int ItemNo, TCustomRVData *RVData) override;
  void MovingFromUndoList(int ItemNo, TCustomRVData *RVData) override;
  void MarkUsedStyles(TRVIntegerList &TextUsed, TRVIntegerList &ParaUsed, TRVIntegerList &ListUsed) override;
  void RenumberStyles(const TRVIntegerList &TextShift, const TRVIntegerList &ParaShift,
                      const TRVIntegerList &ListShift) override;
  bool SetExtraIntProperty(int Prop, int Value) override;
  bool GetExtraIntProperty(int Prop, int &Value) const override;

private:
  void StartParagraph();
};

} // namespace kc
