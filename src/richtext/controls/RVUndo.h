#pragma once
// The undo and redo lists of an editor document. A group stands for one
// user action; its records each reverse one primitive change by calling
// that primitive again, which records the opposite change in whatever list
// the document names as the destination at the time. Undo and redo are the
// same mechanism run in two directions.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "richtext/document/CRVData.h"

namespace kc {

class TRVEditRVData;
class TRVUndoList;

// What a group stands for; 0 is what an empty list reports.
enum TRVUndoType : uint8_t {
  rvutNone = 0,
  rvutDelete = 1,
  rvutInsert = 2,
  rvutPara = 3,
  rvutMiscTyping = 4,
  rvutTyping = 7,
  rvutStyleNo = 9,
  rvutModifyItem = 13
};

// Record kinds that the lists themselves look at.
enum : uint8_t { rvuaTyping = 11, rvuaModifyTerminator = 15 };

class TRVUndoInfo {
public:
  virtual ~TRVUndoInfo() = default;
  uint8_t Action = 0;
  TRVUndoList *List = nullptr;

  // Asked before the record is performed: the document may get narrower.
  virtual bool NeedsFullReformat(TRVEditRVData &Data) {
    (void)Data;
    return false;
  }
  // Asked after: the paragraph's minimal width moved past the document's.
  virtual bool ParaMinWidthChanged(TRVEditRVData &Data) {
    (void)Data;
    return false;
  }
  virtual bool NeedsFormat() const { return true; }
  virtual bool NeedsFullDocumentFormat() const { return false; }
  virtual void Undo(TRVEditRVData &Data) { (void)Data; }
  // The first and last item that performing the record touches; -1: none.
  virtual void GetAffectedItems(int &First, int &Last) const { First = Last = -1; }
  virtual int GetItemCountDelta() const { return 0; }
};

// One group of records: one user action.
class TRVUndoInfos {
public:
  std::string Caption;
  uint8_t UndoType = rvutNone;
  int32_t CaretItemNo = -1;
  int32_t CaretOffs = -1;
  std::vector<std::unique_ptr<TRVUndoInfo>> Records;

  int Count() const { return int(Records.size()); }
  // A group is used up when performing it left nothing to perform again.
  bool UsedUp() const;
};

class TRVUndoList {
public:
  explicit TRVUndoList(TRVEditRVData *Owner) : FOwner(Owner) {}
  TRVUndoList(const TRVUndoList &) = delete;
  TRVUndoList &operator=(const TRVUndoList &) = delete;

  // Groups kept: -1 unlimited, 0 nothing recorded. Looked at only when a
  // group is opened.
  int32_t Limit = -1;
  // While above 0, new edits join the last group.
  int32_t GroupModeCount = 0;
  // The list reformats after performing a group only while this is <= 0.
  int32_t ReformatLock = 0;

  TRVEditRVData *Owner() const { return FOwner; }
  // The history is moved to another document that holds the same items
  // (a cell editor opened again on the cell).
  void SetOwner(TRVEditRVData *Owner) { FOwner = Owner; }
  int Count() const { return int(FGroups.size()); }
  TRVUndoInfos *Groups(int i) const { return FGroups[size_t(i)].get(); }
  TRVUndoInfos *LastGroup() const { return FGroups.empty() ? nullptr : FGroups.back().get(); }

  // Whether recording goes on (false when the limit is 0).
  bool BeginUndoGroup(uint8_t UndoType, const std::string &Caption, int CaretItemNo, int CaretOffs);
  // One typed character at Offset of item ItemNo (undo list only).
  void AddTypingUndo(int ItemNo, int Offset, bool Unicode);
  // Characters that undoing typing took out of item ItemNo at Offset.
  void AddRedoTyping(const std::string &Chars, bool Unicode, int ItemNo, int Offset);
  // Appends to the last group. ERichVistaError "Can't modify empty undo
  // list" without a group, "Incorrect adding into undo list" for a typing
  // group.
  void AddUndoRecord(std::unique_ptr<TRVUndoInfo> Record);
  void AppendGroup(std::unique_ptr<TRVUndoInfos> Group);
  void RemoveEmptyLastGroup();
  // Trades all groups with Other's, to set them aside and bring them back.
  void SwapGroups(std::vector<std::unique_ptr<TRVUndoInfos>> &Other) { FGroups.swap(Other); }
  // Perform the last group; ERichVistaError "Undo buffer is empty" when
  // there is none.
  void PerformUndo(TRVEditRVData &Data);
  void PerformRedo(TRVEditRVData &Data);
  uint8_t CurrentAction() const { return FGroups.empty() ? uint8_t(rvutNone) : FGroups.back()->UndoType; }
  void Clear() { FGroups.clear(); }

private:
  void Perform(TRVEditRVData &Data, bool Redo);
  void PerformGroup(TRVEditRVData &Data, TRVUndoInfos &Group, bool Reformat);
  TRVEditRVData *FOwner;
  std::vector<std::unique_ptr<TRVUndoInfos>> FGroups;
};

// ---------------------------------------------------------------------------
// Records

class TRVUndoItemNoInfo : public TRVUndoInfo {
public:
  int32_t ItemNo = -1;
  int32_t LastAffectedItemNo = -1;
  void GetAffectedItems(int &First, int &Last) const override;
};

// Records whose primitive changes an item's text or size; the primitives
// themselves tell whether the document's minimal width may have moved.
using TRVUndoWidthInfo = TRVUndoItemNoInfo;

class TRVUndoReformateRange : public TRVUndoItemNoInfo {
public:
  int32_t EndItemNo = -1;
  bool Whole = false;
  bool NeedsFullDocumentFormat() const override { return Whole; }
  void GetAffectedItems(int &First, int &Last) const override;
  void Undo(TRVEditRVData &Data) override;
};

// Records that keep a piece of an item's text (raw: bytes of the item's
// form, two a character in a UTF-16 item).
class TRVUndoStringInfo : public TRVUndoItemNoInfo {
public:
  std::string Text;
};

class TRVUndoChangeTextInfo : public TRVUndoStringInfo {
public:
  void Undo(TRVEditRVData &Data) override;
};

// ... and where in the text it was.
class TRVUndoSubStringInfo : public TRVUndoStringInfo {
public:
  int32_t Offset = 1;
};

// ... and a whole item with its text, owned until given back.
class TRVUndoItemInfo : public TRVUndoStringInfo {
public:
  std::unique_ptr<TCustomRVItemInfo> Item;
};

// Whole items with their texts, owned until given back.
class TRVUndoStringItemListInfo : public TRVUndoInfo {
public:
  std::vector<TCustomRVData::TRVItemEntry> Items;
};

// ... that stood from ItemNo on.
class TRVUndoItemRangeInfo : public TRVUndoStringItemListInfo {
public:
  int32_t ItemNo = -1;
  int32_t LastItemNo = -1; // -1: ItemNo + the number of stored items - 1
  void GetAffectedItems(int &First, int &Last) const override;
};

class TRVUndoListInfo : public TRVUndoInfo {
public:
  std::vector<int32_t> List;
};

class TRVUndoDeleteSubstringInfo : public TRVUndoSubStringInfo {
public:
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoInsertSubstringInfo : public TRVUndoItemNoInfo {
public:
  int32_t Offset = 1;
  int32_t Length = 0;
  void Undo(TRVEditRVData &Data) override;
};

// A run of typed characters: Offset of the first, Length of them.
class TRVUndoTypingInfo : public TRVUndoInsertSubstringInfo {
public:
  bool Unicode = false;
  TRVUndoTypingInfo() { Action = rvuaTyping; }
  void Undo(TRVEditRVData &Data) override;
};

// Characters that undoing typing removed; the last one goes back first, at
// Offset minus the number of characters still held.
class TRVRedoTypingInfo : public TRVUndoSubStringInfo {
public:
  bool Unicode = false;
  TRVRedoTypingInfo() { Action = rvuaTyping; }
  int CharCount() const { return int(Unicode ? Text.size() / 2 : Text.size()); }
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoDeleteItemInfo : public TRVUndoItemInfo {
public:
  int GetItemCountDelta() const override { return 1; }
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoDeleteItemsInfo : public TRVUndoItemRangeInfo {
public:
  int GetItemCountDelta() const override { return int(Items.size()); }
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoInsertItemInfo : public TRVUndoItemNoInfo {
public:
  int GetItemCountDelta() const override { return -1; }
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoInsertItemsInfo : public TRVUndoItemNoInfo {
public:
  int32_t Count = 0;
  void GetAffectedItems(int &First, int &Last) const override;
  int GetItemCountDelta() const override { return -Count; }
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoNewLineInfo : public TRVUndoItemNoInfo {
public:
  bool WasContinue = false;
  int32_t ParaNo = 0;
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoBRInfo : public TRVUndoItemNoInfo {
public:
  bool WasBR = false;
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoPageBreakInfo : public TRVUndoItemNoInfo {
public:
  bool WasPageBreak = false;
  void Undo(TRVEditRVData &Data) override;
};

// The paragraph numbers that items from FirstItemNo on had, one each.
class TRVUndoParaListInfo : public TRVUndoListInfo {
public:
  int32_t FirstItemNo = 0;
  void GetAffectedItems(int &First, int &Last) const override;
  void Undo(TRVEditRVData &Data) override;
};

// Count items from ItemNo on that all had paragraph number ParaNo: a long
// range changed at once costs one number, not one for each item.
class TRVUndoParaInfo : public TRVUndoItemNoInfo {
public:
  int32_t ParaNo = 0;
  int32_t Count = 0;
  void GetAffectedItems(int &First, int &Last) const override;
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoStyleNoInfo : public TRVUndoItemNoInfo {
public:
  int32_t StyleNo = 0;
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoTagInfo : public TRVUndoItemNoInfo {
public:
  TRVTag Tag;
  bool NeedsFormat() const override { return false; }
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoAddCPInfo : public TRVUndoItemNoInfo {
public:
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoDeleteCPInfo : public TRVUndoItemNoInfo {
public:
  std::unique_ptr<TRVCPInfo> Checkpoint;
  void Undo(TRVEditRVData &Data) override;
};

// Base of the records that set properties of an item, or of an object that
// belongs to it (SubObject; nullptr: the item itself).
class TRVUndoModifyItemProps : public TRVUndoItemNoInfo {
public:
  bool AffectSize = true;
  bool FormatNeeded = true;
  TRVIntPropertyHolder *SubObject = nullptr;
  bool NeedsFormat() const override { return FormatNeeded; }
  // The object that receives the properties after they are set back; the
  // item's owner may copy them on from there.
  virtual TRVIntPropertyHolder *GetSubObject() const { return SubObject; }
  virtual void AssignPropsTo(TRVIntPropertyHolder *Target) { (void)Target; }
};

// Brackets a run of property records of one item: performing a group, the
// records between a closing (Opening false, met first) and an opening
// terminator are performed as one change.
class TRVUndoModifyItemTerminator : public TRVUndoModifyItemProps {
public:
  bool Opening = false;
  TRVUndoModifyItemTerminator() { Action = rvuaModifyTerminator; }
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoModifyItemIntProperty : public TRVUndoModifyItemProps {
public:
  std::string PropName;
  int32_t Value = 0; // the old value
  void Undo(TRVEditRVData &Data) override;
};

class TRVUndoModifyItemIntProperties : public TRVUndoModifyItemProps {
public:
  std::vector<std::string> PropNames;
  std::vector<int32_t> Values; // the old values
  void Undo(TRVEditRVData &Data) override;
};

// A whole undo or redo history of another editor document (a nested one,
// such as a table cell's editor) as one record of this one. Each
// performance takes back or redoes that history's last group there; the
// record is used up when the history is empty. Its reverse, recorded in
// this document's other list, is again such a record. The nested document
// must outlive the record (a table keeps its cell editor's document, or
// gives a record of its own that opens the editor first).
class TRVCompositeUndo : public TRVUndoItemNoInfo {
public:
  // The history; its owner is the document the groups act on.
  std::unique_ptr<TRVUndoList> UndoList;
  // The history was the nested document's redo list: performing it redoes.
  bool IsRedo = false;
  bool NeedsFormat() const override { return false; }
  void GetAffectedItems(int &First, int &Last) const override { First = Last = ItemNo; }
  void Undo(TRVEditRVData &Data) override;

protected:
  // The record that carries the reverse history.
  virtual std::unique_ptr<TRVCompositeUndo> MakeReverse() const { return std::make_unique<TRVCompositeUndo>(); }
};

class TRVUndoExtraIntProperty : public TRVUndoWidthInfo {
public:
  int32_t Prop = 0;
  int32_t Value = 0;
  void Undo(TRVEditRVData &Data) override;
};

// ------------------------------------------------------------- resizing

// The size a picture (its stored size, 0 for its own) or a control had
// before Do_Resize changed it.
class TRVUndoResizeInfo : public TRVUndoWidthInfo {
public:
  int32_t Width = 0, Height = 0;
  void Undo(TRVEditRVData &Data) override;
};

} // namespace kc
