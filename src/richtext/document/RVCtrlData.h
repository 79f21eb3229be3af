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
  // The document of the focused item (this one, or one nested in the item
  // FocusedControlItem); nullptr when nothing is focused or that item no
  // longer holds it.
  TCustomRVFormattedData *FocusedDocument() const;
  TRVTabNavigationType TabNavigation = rvtnTab;

  void ClearFormatting() override;
  void ClearSelection(bool FireEvent) override;
  // A clicked link or control item takes the focus frame.
  void FocusClickedItem(int ItemNo) override;

  // Tab navigation among the items that take the keyboard focus (links,
  // inline controls). Control is the widget that had the focus before (the
  // view itself when Tab is pressed in it, nullptr when unknown). Returns
  // true when an item of the document has the focus afterwards.
  bool MoveItemFocus(bool Backwards, const TControl *Control);
  // Acts on the focused item as a click would (a link fires its jump).
  void ActivateFocusedItem();
  // An inverting frame one pixel outside every piece of the focused item,
  // in client coordinates; drawing it twice removes it.
  void DrawFocusFrame(TCanvas &Canvas);
  // An item inside a table took the focus by a click; HolderItemNo is the
  // table's index here.
  void FocusNestedItem(int HolderItemNo, TCustomRVFormattedData *Data, int ItemNo) override;
  // The widget of the view (compared with the control handed to
  // MoveItemFocus); nullptr in a headless host.
  virtual const TControl *ViewControl() const { return nullptr; }
  // Gives the focus to the next (previous) control of the window outside
  // the view; false when there is none.
  virtual bool FocusNextTabControl(bool Backwards) {
    (void)Backwards;
    return false;
  }
  // Whether Control belongs to the view's window (only those move the
  // focus in the document).
  virtual bool IsInViewWindow(const TControl *Control) const {
    (void)Control;
    return true;
  }
  // Gives the keyboard focus to an inline control that Tab reached.
  virtual void GiveControlFocus(TControl *Control) { (void)Control; }
  // Gives the keyboard focus to the view itself.
  virtual void FocusView() {}
  // Paints Clip of the client area onto Canvas (whose origin is the
  // client's) through an image of the clip's size, so that the window
  // never shows a half-painted state.
  void PaintBuffered(const TRect &Clip, TCanvas &Canvas);

private:
  void ScrollItemIntoView(TCustomRVFormattedData &Data, int ItemNo);
  void InvalidateItem(TCustomRVFormattedData &Data, int ItemNo);
  // The focus frame moves to ItemNo of Data (nullptr: none).
  void SetFocusedPlace(TCustomRVFormattedData *Data, int ItemNo);
  // The item (a table) that holds Control in one of its documents, -1 none.
  int FindNestedControl(const TControl *Control, TCustomRVFormattedData *&Data, int &ItemNo);
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
