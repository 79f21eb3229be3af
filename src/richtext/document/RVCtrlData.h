#pragma once
// Two small bases between the formatted document and its hosts: the
// document of a window control, which paints through an off-screen image
// and keeps which item has the keyboard focus; and the document nested in
// an item (a table cell), which answers the host's questions from the item
// that owns it.
#include <cstdint>

#include "richtext/document/CRVFData.h"

namespace kc {

enum TRVTabNavigationType : uint8_t { rvtnNone, rvtnTab, rvtnCtrlTab };

// The document of a view control.
class TRVControlData : public TRichVistaRVData {
public:
  explicit TRVControlData(TRVFormatHost *Host) : TRichVistaRVData(Host) {}

  int32_t FocusedItemNo = -1;
  TCustomRVFormattedData *FocusedItemData = nullptr;
  TRVTabNavigationType TabNavigation = rvtnTab;

  void ClearFormatting() override;
  void ClearSelection(bool FireEvent) override;
  // Paints Clip of the client area onto Canvas (whose origin is the
  // client's) through an image of the clip's size, so that the window
  // never shows a half-painted state.
  void PaintBuffered(const TRect &Clip, TCanvas &Canvas);
};

// The list of nested documents of one item (a table row); its documents
// answer its flags.
class TRVDataList {
public:
  virtual ~TRVDataList() = default;
  uint16_t Flags = 18;
  virtual TCustomRVData *GetParentRVData() const { return nullptr; }
};

// A document nested in an item: margins, widths, scrolling and background
// belong to the root, so it answers 0, nothing or none.
class TRVItemFormattedData : public TCustomRVFormattedData {
public:
  explicit TRVItemFormattedData(TRVDataList *List) : FList(List) {}

  TCustomRVData *GetParentData() const override { return FList ? FList->GetParentRVData() : nullptr; }
  TCustomRVData *GetAbsoluteParentData() const override { return GetParentData(); }
  TCustomRVData *GetRootData() const override;
  TCustomRVData *GetAbsoluteRootData() const override;
  uint16_t GetFlags() const override { return FList ? FList->Flags : 0; }
  // "This method is not supported for TRVItemFormattedData".
  void SetFlags(uint16_t Value) override;

private:
  TRVDataList *FList;
};

} // namespace kc
