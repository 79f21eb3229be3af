#pragma once
// One document: an ordered list of items, each a string plus an item object,
// with the paragraph structure carried by the items' option bits, a chain of
// named checkpoints, and the questions a document asks of the control that
// hosts it. Nested documents (table cells) find their parents and roots
// through virtual operations; everything about the host goes to the root.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "richtext/document/RVItem.h"

namespace kc {

class TCustomRVData;
class TRVMarkerList;
class TRVMarkerItemInfo;
class TRVRTFReaderProperties;

// The format of a document that a hyperlink is read from.
enum TRVLoadFormat : uint8_t { rvlfText, rvlfHTML, rvlfRTF, rvlfRVF, rvlfURL, rvlfOther };

// The style maps of an RVF reading, kept at the root for every nested reader.
struct TRVOwnedLists {
  std::unique_ptr<TRVIntegerList> TextMap;
  std::unique_ptr<TRVIntegerList> ParaMap;
  std::unique_ptr<TRVIntegerList> ListMap;
};

// ---------------------------------------------------------------------------
// Checkpoints

// A document's checkpoints are a chain in item order (FirstCP to LastCP,
// Next and Prev). Each is owned by its item, the one after the last item by
// the document (NotAddedCP); the chain only links them.
class TRVCPInfo {
public:
  std::string Name;
  TRVCPInfo *Next = nullptr;
  TRVCPInfo *Prev = nullptr;
  bool RaiseEvent = false;
  bool Persistent = false;
  TCustomRVItemInfo *ItemInfo = nullptr;
  int32_t ItemNo = -1;
  TRVTag Tag;

  // Name, RaiseEvent, Tag (a text tag copied) and Persistent.
  void Assign(const TRVCPInfo &Source, bool TagsArePChars);
  std::unique_ptr<TRVCPInfo> CreateCopy(bool TagsArePChars) const;
};

// ---------------------------------------------------------------------------
// Layout values kept with a saved document

class TRVLayoutInfo {
public:
  uint8_t Loaded = 0;
  int32_t LeftMargin = 0, RightMargin = 0, TopMargin = 0, BottomMargin = 0;
  int32_t MinTextWidth = 0, MaxTextWidth = 0;
  uint8_t BiDiMode = 0;
  int32_t EndsMidParagraph = 0;
  int32_t StartsMidParagraph = 0;
  int32_t StartMarkerListNo = -1;
  int32_t StartMarkerLevel = 0;

  // Appends the binary form; with IncludeSize the size prefix first.
  void SaveToStream(std::string &Stream, bool IncludeSize) const;
  // Reads the binary form from Stream at Pos (moved past it). Raises
  // ERichVistaError "Invalid RVF format" for a payload below 25 bytes and
  // for data that ends before the size it gives.
  void LoadFromStream(std::string_view Stream, size_t &Pos, bool IncludeSize);
  // Text wrappers: hexadecimal RVF form, raw binary string.
  void LoadText(const std::string &s);
  void LoadBinary(const std::string &s);
  // One hexadecimal RVF line (CR LF ended).
  void SaveTextToStream(std::string &Stream) const;
};

// ---------------------------------------------------------------------------
// The host of a root document

// What a document needs of the control that shows it: options, flags, the
// style sheet, palette settings and the control's events. The view and the
// editor derive from it; a document without a host answers with these
// defaults, and values set on it are kept here.
class TRVDataHost {
public:
  virtual ~TRVDataHost() = default;

  TRVOptions Options = TRVOptions::FromRaw(RVDefaultOptions);
  TRVFOptions RVFOptions = TRVFOptions::FromRaw(49219);
  TRVRTFOptions RTFOptions = TRVRTFOptions::FromRaw(14);
  TRVFWarnings RVFWarnings;
  TRVFReaderStyleMode RVFTextStylesReadMode = rvf_sInsertMerge;
  TRVFReaderStyleMode RVFParaStylesReadMode = rvf_sInsertMerge;
  uint16_t Flags = 0;
  TRVStyle *Style = nullptr;
  TRVPaletteAction DoInPaletteMode = rvpaDoNothing;
  HPALETTE Palette = 0;
  const TRVLogPalette *LogPalette = nullptr;
  TRVBiDiMode BiDiMode = rvbdUnspecified;
  std::string Delimiters = " .;,:(){}\"/\\";
  // The window that parents the control items.
  QWidget *ParentControl = nullptr;
  TRVRTFReaderProperties *RTFReadProperties = nullptr;
  TRVOwnedLists OwnedLists;
  // The document properties saved and loaded with RVF.
  std::vector<std::string> DocProperties;

  // Events; the defaults do nothing.
  virtual void DoItemAction(TRVItemAction Action, TCustomRVItemInfo *Item, std::string &Text, TCustomRVData *RVData) {
    (void)Action, (void)Item, (void)Text, (void)RVData;
  }
  virtual void DoControlAction(TCustomRVData *RVData, TRVControlAction Action, int ItemNo, TControl *&Control) {
    (void)RVData, (void)Action, (void)ItemNo, (void)Control;
  }
  virtual std::unique_ptr<TGraphic> DoRVFPictureNeeded(const std::string &Name, const TRVTag &Tag) {
    (void)Name, (void)Tag;
    return nullptr;
  }
  virtual TControl *DoRVFControlNeeded(const std::string &Name, const TRVTag &Tag) {
    (void)Name, (void)Tag;
    return nullptr;
  }
  virtual TCustomImageList *DoRVFImageListNeeded(int ImageListTag) {
    (void)ImageListTag;
    return nullptr;
  }
  // The text a control is saved as in a format; false: none.
  virtual bool DoSaveComponentToFile(TCustomRVData *RVData, const std::string &Path, TControl *Control,
                                     TRVSaveFormat Format, std::string &Text) {
    (void)RVData, (void)Path, (void)Control, (void)Format, (void)Text;
    return false;
  }
  virtual bool DoSaveItemToFile(const std::string &Path, TCustomRVData *RVData, int ItemNo, TRVSaveFormat Format,
                                bool Unicode, std::string &Text) {
    (void)Path, (void)RVData, (void)ItemNo, (void)Format, (void)Unicode, (void)Text;
    return false;
  }
  // The HTML export's image hook: may give the location of a picture.
  virtual void DoHTMLSaveImage(TCustomRVData *RVData, int ItemNo, const std::string &Path, TColor BackgroundColor,
                               std::string &Location, bool &DoDefault) {
    (void)RVData, (void)ItemNo, (void)Path, (void)BackgroundColor, (void)Location, (void)DoDefault;
  }
  virtual void DoSaveImage2(const TGraphic *Graphic, TRVSaveFormat SaveFormat, const std::string &Path,
                            const std::string &ImagePrefix, int &ImageSaveNo, std::string &Location, bool &DoDefault) {
    (void)Graphic, (void)SaveFormat, (void)Path, (void)ImagePrefix, (void)ImageSaveNo, (void)Location, (void)DoDefault;
  }
  virtual void DoItemHint(TCustomRVData *RVData, int ItemNo, std::string &HintText) {
    (void)RVData, (void)ItemNo, (void)HintText;
  }
  // The picture of a control for printing; nullptr leaves it to the
  // control's own rendering.
  virtual std::unique_ptr<TBitmap> DoPrintComponent(TCustomRVData *RVData, TControl *Control) {
    (void)RVData, (void)Control;
    return nullptr;
  }
  virtual void DoURLNeeded(TCustomRVData *RVData, int ID, std::string &URL) { (void)RVData, (void)ID, (void)URL; }
  virtual bool HasProgressHandler() const { return false; }
  virtual void DoProgress(int Operation, int Stage, uint8_t PercentDone) {
    (void)Operation, (void)Stage, (void)PercentDone;
  }
  virtual void DoSaveRTFExtra(int Area, TCustomRVData *RVData, std::string &RTFCode) {
    (void)Area, (void)RVData, (void)RTFCode;
  }
  virtual void DoSaveHTMLExtra(int Area, bool CSSVersion, std::string &HTMLCode) {
    (void)Area, (void)CSSVersion, (void)HTMLCode;
  }
  // A hyperlink met while reading: may change the kind, tag and name of the
  // item that is made for it.
  virtual void DoReadHyperlink(TCustomRVData *RVData, const std::string &Target, const std::string &Extras,
                               TRVLoadFormat DocFormat, int &StyleNo, TRVTag &ItemTag, std::string &ItemName) {
    (void)RVData, (void)Target, (void)Extras, (void)DocFormat, (void)StyleNo, (void)ItemTag, (void)ItemName;
  }
  virtual void DoWriteHyperlink(TCustomRVData *RVData, int ID, int ItemNo, TRVSaveFormat SaveFormat,
                                std::string &Target, std::string &Extras) {
    (void)RVData, (void)ID, (void)ItemNo, (void)SaveFormat, (void)Target, (void)Extras;
  }
  // The picture of a file named by an imported document; nullptr: none.
  virtual std::unique_ptr<TGraphic> DoImportPicture(TCustomRVData *RVData, const std::string &Location) {
    (void)RVData, (void)Location;
    return nullptr;
  }
  // Shows a hint on the control (empty: cancels the hint on screen).
  virtual void ShowHint(const std::string &HintText) { (void)HintText; }
  virtual void Beep();
};

// ---------------------------------------------------------------------------
// The document

class TCustomRVData {
public:
  // One entry of the item list.
  struct TRVItemEntry {
    std::string Text;
    std::unique_ptr<TCustomRVItemInfo> Item;
  };
  // The item list: the string list of the items with their objects. Bad
  // indices raise the list's own EListError.
  class TRVItemList {
  public:
    int Count() const { return int(FItems.size()); }
    const std::string &Strings(int i) const { return FItems[Check(i)].Text; }
    void SetString(int i, std::string s) { FItems[Check(i)].Text = std::move(s); }
    TCustomRVItemInfo *Objects(int i) const { return FItems[Check(i)].Item.get(); }
    int IndexOfObject(const TCustomRVItemInfo *Item) const;
    void Insert(int i, std::string Text, std::unique_ptr<TCustomRVItemInfo> Item);
    int Add(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item);
    // Takes the object out of entry i (the entry stays, empty).
    std::unique_ptr<TCustomRVItemInfo> Detach(int i);
    // Removes Count entries from i, freeing objects still in them that are
    // not borrowed.
    void Delete(int i, int Count = 1);
    // Removes every entry, freeing objects still in them that are not
    // borrowed.
    void Clear();
    // Takes every entry out, leaving the list empty: the objects go to
    // another document. Only for a list that owns its objects.
    std::deque<TRVItemEntry> TakeAll();
    // Makes this list show Source's entries without owning their objects: a
    // snapshot that must not outlive the source's items, which clearing,
    // deleting and freeing this list leave alone. Items added to it later
    // are its own.
    void ShareFrom(const TRVItemList &Source);
    bool Shared() const { return FShared; }
    // Ends a ShareFrom: the list is empty and its own again.
    void Unshare() {
      Clear();
      FShared = false;
    }
    // The objects in the list that place a window of their own
    // (PlacesWindow), in no particular order.
    const std::vector<TCustomRVItemInfo *> &WindowedItems() const { return FWindowed; }

    TRVItemList() = default;
    TRVItemList(const TRVItemList &) = delete;
    TRVItemList &operator=(const TRVItemList &) = delete;
    ~TRVItemList();

  private:
    int Check(int i) const {
      if (i < 0 || i >= Count()) throw EListError(i);
      return i;
    }
    // Lets go of the borrowed objects of entries [From, To) before the
    // entries go.
    void ReleaseBorrowed(size_t From, size_t To);
    void Noting(const TCustomRVItemInfo *Item);
    void Forgetting(const TCustomRVItemInfo *Item);
    // A deque, so that a transcript's oldest items leave without moving the rest.
    std::deque<TRVItemEntry> FItems;
    std::vector<TCustomRVItemInfo *> FWindowed;
    // The objects shown from another list, which owns them. Only snapshots
    // have any, so the entries of every other list carry no flag of their
    // own (a transcript keeps tens of thousands).
    std::unordered_set<const TCustomRVItemInfo *> FBorrowed;
    bool FShared = false;
  };

  TCustomRVData();
  virtual ~TCustomRVData();
  TCustomRVData(const TCustomRVData &) = delete;
  TCustomRVData &operator=(const TCustomRVData &) = delete;

  int32_t FirstJumpNo = 0;
  TRVItemList Items;
  TRVCPInfo *FirstCP = nullptr;
  TRVCPInfo *LastCP = nullptr;
  std::unique_ptr<TRVCPInfo> NotAddedCP;
  int32_t CPCount = 0;
  uint32_t State = 0;

  // The host of a root document (not owned); a nested document's host is
  // its root's.
  void SetHost(TRVDataHost *Host) { FHost = Host; }
  TRVDataHost *Host() const { return FHost; }

  // ------------------------------------------------------ host questions
  virtual TRVOptions GetOptions() const;
  virtual void SetOptions(TRVOptions Value);
  virtual TRVFOptions GetRVFOptions() const;
  virtual void SetRVFOptions(TRVFOptions Value);
  virtual TRVRTFOptions GetRTFOptions() const;
  virtual void SetRTFOptions(TRVRTFOptions Value);
  virtual TRVFWarnings GetRVFWarnings() const;
  virtual void SetRVFWarnings(TRVFWarnings Value);
  virtual TRVFReaderStyleMode GetRVFTextStylesReadMode() const;
  virtual TRVFReaderStyleMode GetRVFParaStylesReadMode() const;
  virtual void FreeItem(std::unique_ptr<TCustomRVItemInfo> Item, bool Clearing);
  virtual uint16_t GetFlags() const;
  virtual void SetFlags(uint16_t Value);
  virtual TCustomRVData *GetEditorRVData() { return this; }
  virtual TCustomRVData *GetSourceRVData() { return this; }
  virtual TRVStyle *GetRVStyle() const;
  virtual TCustomRVData *GetParentData() const { return nullptr; }
  virtual TCustomRVData *GetRootData() const { return const_cast<TCustomRVData *>(this); }
  virtual TCustomRVData *GetAbsoluteParentData() const { return nullptr; }
  virtual TCustomRVData *GetAbsoluteRootData() const { return const_cast<TCustomRVData *>(this); }
  virtual HPALETTE GetPalette() const;
  virtual const TRVLogPalette *GetPaletteInfo() const;
  virtual TRVPaletteAction GetDoInPaletteMode() const;
  virtual TRVBiDiMode GetBiDiMode() const;
  virtual bool DoSaveItemToFile(const std::string &Path, int ItemNo, TRVSaveFormat Format, bool Unicode,
                                std::string &Text);
  // The picture file of HTML export (a BMP file, or JPEG when asked);
  // the host's image event may supply the location instead.
  virtual bool SaveImageFileEx(const std::string &Path, const TGraphic *Graphic, TRVSaveFormat SaveFormat,
                               const std::string &ImagePrefix, int &ImageSaveNo, bool OverwriteFiles, TColor BackColor,
                               std::string &Location, bool Jpeg = false);
  virtual void DoItemAction(TRVItemAction Action, TCustomRVItemInfo *Item, std::string &Text, TCustomRVData *RVData);
  virtual bool DoSaveComponentToFile(const std::string &Path, TControl *Control, TRVSaveFormat Format,
                                     std::string &Text);

  // A document that shows another's items (a printable copy) neither
  // creates, clears nor frees them.
  virtual bool SharesItems() const { return Items.Shared(); }
  virtual bool IsViewData() const { return false; }
  virtual std::string GetDelimiters() const;
  // The whole document: first item and its start offset, last item and its
  // end offset; nothing is set for an empty document.
  virtual void GetExportRange(int &First, int &FirstOffs, int &Last, int &LastOffs, int &Dummy1, int &Dummy2);
  virtual TRVRTFReaderProperties *GetRTFReadProperties() const;
  // The style maps of RVF reading, kept by the root; FreeOwnedLists frees
  // them at the root and does nothing in a nested document.
  virtual TRVOwnedLists &GetOwnedLists();
  virtual void FreeOwnedLists();
  virtual void RemapStyles(TRVIntegerList *TextMap, TRVIntegerList *ParaMap, TRVIntegerList *ListMap) {
    (void)TextMap, (void)ParaMap, (void)ListMap;
  }
  virtual bool IsOutsideCell() const { return true; }
  virtual void DestroyMarkers();
  virtual TRVIntegerList *GetClearedList() { return nullptr; }
  virtual QWidget *GetParentControl() const;
  virtual void GetParentInfo(int &ParentItemNo, void *&Location) const {
    ParentItemNo = -1;
    Location = nullptr;
  }
  virtual TCustomRVData *GetActiveSubData() const { return nullptr; }
  virtual TCustomRVItemInfo *GetActiveSubItem() const { return nullptr; }
  virtual void Clear();
  virtual void DeleteItems(int FirstItemNo, int Count);
  virtual void DoURLNeeded(int ID, std::string &URL);
  virtual bool HasProgressHandler() const;
  virtual void DoProgress(int Operation, int Stage, uint8_t PercentDone);
  virtual void DoSaveRTFExtra(int Area, std::string &RTFCode);
  virtual void DoSaveHTMLExtra(int Area, bool CSSVersion, std::string &HTMLCode);
  virtual void DoReadHyperlink(const std::string &Target, const std::string &Extras, TRVLoadFormat DocFormat,
                               int &StyleNo, TRVTag &ItemTag, std::string &ItemName);
  virtual void DoWriteHyperlink(int ID, int ItemNo, TRVSaveFormat SaveFormat, std::string &Target, std::string &Extras);
  virtual std::unique_ptr<TGraphic> DoImportPicture(const std::string &Location);
  virtual void DoItemHint(int ItemNo, std::string &HintText);
  virtual std::unique_ptr<TGraphic> DoRVFPictureNeeded(const std::string &Name, const TRVTag &Tag);
  virtual void DoControlAction(TRVControlAction Action, int ItemNo, TControl *&Control);
  // DoControlAction for control items only.
  void ControlAction(TRVControlAction Action, int ItemNo, TCustomRVItemInfo *Item);
  virtual TControl *DoRVFControlNeeded(const std::string &Name, const TRVTag &Tag);
  virtual TCustomImageList *DoRVFImageListNeeded(int ImageListTag);
  virtual void DoHTMLSaveImage(int ItemNo, const std::string &Path, TColor BackgroundColor, std::string &Location,
                               bool &DoDefault);
  virtual void DoSaveImage2(const TGraphic *Graphic, TRVSaveFormat SaveFormat, const std::string &Path,
                            const std::string &ImagePrefix, int &ImageSaveNo, std::string &Location, bool &DoDefault);
  virtual void GetNextImageFileName(const std::string &ImagesPrefix, const std::string &Path, std::string &FileName,
                                    bool OverwriteFiles, int &ImageSaveNo, const std::string &Ext);
  // Text may be changed by the item's Inserting hook. FullReformat and
  // NewListNo are outputs for the editor.
  virtual bool InsertItemAt(int &Index, std::string &Text, std::unique_ptr<TCustomRVItemInfo> &Item, bool &FullReformat,
                            int &NewListNo);
  virtual void MarkUsedStyles(TRVIntegerList &TextUsed, TRVIntegerList &ParaUsed, TRVIntegerList &ListUsed);
  // The marker list of the absolute root; made on request when AllowCreate.
  virtual TRVMarkerList *GetMarkers(bool AllowCreate);
  virtual TRVMarkerList *GetOwnMarkers() const { return nullptr; }
  virtual void DoEditNotify(int Notification) { (void)Notification; }
  // The jump event of a formatted document; nothing here.
  virtual void DoJump(int ID);
  // The view's print-component event, at the absolute root.
  virtual std::unique_ptr<TBitmap> DoPrintComponent(TControl *Control);

  // --------------------------------------------------------- item access
  int GetItemCount() const { return Items.Count(); }
  TCustomRVItemInfo *GetItem(int ItemNo) const { return Items.Objects(ItemNo); }
  int GetItemNo(const TCustomRVItemInfo *Item) const { return Items.IndexOfObject(Item); }
  const std::string &GetItemTextRaw(int ItemNo) const { return Items.Strings(ItemNo); }
  void SetItemTextRaw(int ItemNo, std::string s) { Items.SetString(ItemNo, std::move(s)); }
  std::string GetItemTextA(int ItemNo) const;
  int GetItemStyle(int ItemNo) const;
  // The effective style is a text style.
  bool IsTextItem(int ItemNo) const { return GetItemStyle(ItemNo) >= 0; }
  int GetActualStyle(const TCustomRVItemInfo *Item) const;
  int GetActualStyleEx(int StyleNo, int ParaNo) const;
  int GetItemPara(int ItemNo) const { return GetItem(ItemNo)->ParaNo; }
  TRVItemOptions GetItemOptions(int ItemNo) const { return GetItem(ItemNo)->ItemOptions; }
  const TRVTag &GetItemTag(int ItemNo) const { return GetItem(ItemNo)->Tag; }
  TRVCPInfo *GetItemCheckpoint(int ItemNo) const { return GetItem(ItemNo)->Checkpoint.get(); }
  bool IsParaStart(int ItemNo) const;
  bool IsFromNewLine(int ItemNo) const;
  bool PageBreakBefore(int ItemNo) const;
  int GetItemLength(int ItemNo) const;
  int GetOffsBeforeItem(int ItemNo) const;
  int GetItemEndOffset(int ItemNo) const;
  void ClampItemNo(int &ItemNo) const;

  // Typed getters; ERichVistaError for an item of another class.
  void GetBreakInfo(int ItemNo, uint8_t &AWidth, uint8_t &AStyle, TColor &AColor, TRVTag &ATag) const;
  void GetBulletInfo(int ItemNo, std::string &AName, int &AImageIndex, TCustomImageList *&AImageList,
                     TRVTag &ATag) const;
  void GetHotspotInfo(int ItemNo, std::string &AName, int &AImageIndex, int &AHotImageIndex,
                      TCustomImageList *&AImageList, TRVTag &ATag) const;
  void GetPictureInfo(int ItemNo, std::string &AName, TGraphic *&AGraphic, TRVVAlign &AVAlign, TRVTag &ATag) const;
  void GetControlInfo(int ItemNo, std::string &AName, TControl *&AControl, TRVVAlign &AVAlign, TRVTag &ATag) const;
  bool GetItemExtraIntProperty(int ItemNo, int Prop, int &Value) const;
  int FindControlItemNo(const TControl *Control) const;

  // Style queries.
  int GetStyleCodePage(int StyleNo) const;
  int GetDefCodePage() const;
  TRVBiDiMode GetItemBiDiMode(int ItemNo) const;
  TRVBiDiMode GetParaBiDiMode(int ParaNo) const;

  bool IsDelimiter(const std::string &s, int Index, TRVItemOptions ItemOptions) const;

  // Navigation.
  int GetFirstParaItemNo(int ItemNo) const;
  int GetFirstLineItemNo(int ItemNo) const;
  void ExpandToPara(int FirstItemNo, int LastItemNo, int &NewFirstItemNo, int &NewLastItemNo) const;
  void ExpandToLine(int FirstItemNo, int LastItemNo, int &NewFirstItemNo, int &NewLastItemNo) const;
  int GetPrevCharOffset(int ItemNo, int Offs) const;
  int GetNextCharOffset(int ItemNo, int Offs) const;

  // Appending.
  void AddItem(std::string Text, std::unique_ptr<TCustomRVItemInfo> Item);
  // 8-bit text; for a UTF-16 text style it is converted in the style's
  // code page.
  void AddTextItem(const std::string &Text, int StyleNo, int ParaNo, const TRVTag &Tag);
  void AddText(const std::string &Text, int StyleNo, int ParaNo) { AddTextItem(Text, StyleNo, ParaNo, 0); }
  void AddBreakExTag(uint8_t Width, uint8_t Style, TColor Color, const TRVTag &Tag);
  void AddBreakTag(const TRVTag &Tag) { AddBreakExTag(1, 0, clNone, Tag); }
  void AddBulletExTag(const std::string &Name, int ImageIndex, TCustomImageList *ImageList, int ParaNo,
                      const TRVTag &Tag);
  void AddBullet(const std::string &Name, int ImageIndex, TCustomImageList *ImageList, int ParaNo) {
    AddBulletExTag(Name, ImageIndex, ImageList, ParaNo, 0);
  }
  // Takes the picture.
  void AddHotPicture(const std::string &Name, std::unique_ptr<TGraphic> Graphic, int ParaNo, TRVVAlign VAlign,
                     const TRVTag &Tag);
  // Takes the control.
  void AddControl(const std::string &Name, TControl *Control, int ParaNo, TRVVAlign VAlign, const TRVTag &Tag);
  int AddCheckpointTag(const std::string &Name, bool RaiseEvent, const TRVTag &Tag);

  // Inserting and deleting.
  void DestroyItem(int ItemNo, bool Clearing);

  // Moves every item of Source to the end of this document.
  void AssignItemsFrom(TCustomRVData *Source);
  bool CanJoinTextItems(int ItemNo, const TCustomRVItemInfo *Left, bool IgnoreParaFlag,
                        const TCustomRVItemInfo *Right) const;

  // Checkpoints.
  // Gives Pending to Item and links it after After (first when null).
  void AttachPendingCheckpoint(TCustomRVItemInfo *Item, TRVCPInfo *After, std::unique_ptr<TRVCPInfo> &Pending);
  void InsertCheckpointSorted(TRVCPInfo *CP, int ItemNo);
  // Takes CP out of the chain and forgets its item; whoever owns it (the
  // item) still does.
  void UnlinkCheckpoint(TRVCPInfo *CP, bool DecCount);
  // Frees the checkpoint after the last item, if there is one.
  void FreePendingCheckpoint();
  void UpdateCPPos();
  TRVCPInfo *GetCheckpointBefore(int ItemNo);

  // Styles.
  void RenumberStyles(const TRVIntegerList &TextShift, const TRVIntegerList &ParaShift,
                      const TRVIntegerList &ListShift);
  void UpdateItemsPalette();

  // Lists.
  void AddMarkerToList(int ItemNo);
  void RemoveMarkerFromList(TCustomRVItemInfo *Item, bool Clearing);
  void RecountMarkersFrom(int ItemNo, bool AllowCreate);
  // The marker before ItemNo in document order: backwards through this
  // document and the nested documents of earlier items, then up through the
  // parents (first the owning item's earlier nested documents, then the
  // items before it); nullptr when none.
  TRVMarkerItemInfo *GetPrevMarker(int ItemNo) const;
  // The last marker of one of the lists (list style numbers) from the end
  // down to ItemNo DownTo; -1 when none.
  int FindLastMarkerOfLists(const TRVIntegerList &Lists, int DownTo) const;

  int FindItemFrom(int Start, const TCustomRVItemInfo *Item) const;
  void UnifyParaNo(int ItemNo);
  void Beep();
  void NotifyItemsInserting(TCustomRVData *RVData, bool Safe = false);
  // Every tab becomes the style sheet's spaces per tab (8 without one), as
  // UTF-16 for a UTF-16 text style.
  void ExpandTabs(std::string &Text, int StyleNo) const;
  void ShareItemsFrom(TCustomRVData *Source);
  static void ReplaceNullChars(std::string &s);

  bool TagsArePChars() const { return GetOptions().Has(rvoTagsArePChars); }
  // The root host's document properties.
  std::vector<std::string> &DocProperties() const { return RootHost().DocProperties; }
  // Writes the picture file of HTML export; Location gets its name, empty
  // when the file could not be written.
  void SaveImageFile(const std::string &ImagesPrefix, const std::string &Path, int &ImageSaveNo, bool OverwriteFiles,
                     TColor BackColor, const TGraphic &Graphic, std::string &Location, bool Jpeg);

protected:
  // Checks that the item at ItemNo is a T (or derived); ERichVistaError
  // "Can't get or set this kind of information for this item" otherwise.
  template <class T> T *CheckItemClass(int ItemNo) const;
  // The host that the root document answers from.
  TRVDataHost &RootHost() const;

private:
  TRVDataHost *FHost = nullptr;
  mutable std::unique_ptr<TRVDataHost> FOwnHost; // values of a document without a host
  std::unique_ptr<TRVMarkerList> FMarkers;       // at the absolute root
};

// "Item index is out of bounds".
[[noreturn]] void RVRaiseItemIndexError();
// "Can't perform Unicode operation" for an odd byte count of UTF-16 text.
void CheckUnicodeByteLength(size_t ByteCount);

} // namespace kc
