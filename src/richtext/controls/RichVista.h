#pragma once
// The read-only rich-text view: a scrolling window over one document. Its
// operations forward to the document; mouse, keys, focus and painting of
// the window become calls on it, and what the document reports comes back
// as the view's events. Events that a nested editor raises arrive as
// deferred records (RVMessageData.h) and fire here in the order posted.
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "platform/GuiTimer.h"
#include "richtext/controls/RVMessageData.h"
#include "richtext/controls/RVScroll.h"
#include "richtext/document/RVBack.h"
#include "richtext/document/RVCtrlData.h"

class QDrag;

namespace kc {

class TCustomRichVista : public TRVScroller {
public:
  explicit TCustomRichVista(QWidget *Parent = nullptr);
  ~TCustomRichVista() override;

  // ------------------------------------------------------------ events
  std::function<void(TCustomRichVista *, int Id)> OnJump;
  std::function<void(TCustomRichVista *, int Id)> OnRVMouseMove;
  using TRVMouseEvent =
      std::function<void(TCustomRichVista *, TRVMouseButton, TRVShiftState, int ItemNo, int X, int Y)>;
  TRVMouseEvent OnRVMouseDown, OnRVMouseUp;
  std::function<void(TCustomRichVista *, const std::string &ClickedWord, int Style)> OnRVDblClick;
  std::function<void(TCustomRichVista *, const std::string &ClickedWord, int Style, int X, int Y)> OnRVRightClick;
  std::function<void(TCustomRichVista *)> OnSelect, OnClick, OnDblClick;
  // The application may add its own formats to a copy.
  std::function<void(TCustomRichVista *, Clipboard::Batch &)> OnCopy;
  // A right click that asks for the context menu, at a client point.
  std::function<void(TCustomRichVista *, int X, int Y)> OnContextPopup;
  std::function<void(TCustomRichVista *, QObject *Source, int X, int Y)> OnDragDrop;
  std::function<void(TCustomRichVista *, QObject *Target, int X, int Y)> OnEndDrag;
  // The checkpoint that scrolled into view, as CPEventKind says (null: none).
  std::function<void(TCustomRichVista *, TRVCPInfo *CheckpointData)> OnCheckpointVisible;
  TCPEventKind CPEventKind = cpeNone;
  // Copies these handlers from Source (a table-cell editor takes its
  // outer view's).
  void AssignEvents(const TCustomRichVista &Source);

  // ---------------------------------------------------------- document
  TRVControlData *RVData() const { return FRVData.get(); }
  TRVBackground &BackgroundPainter() { return *FBackground; }
  void SetStyle(TRVStyle *Value);
  // The layout values RVF may carry: margins, text widths and direction.
  void ApplyLayoutInfo(const TRVLayoutInfo &Info);
  // A new direction lays the document out again.
  void SetBiDiMode(TRVBiDiMode Value);
  void SetBackgroundStyle(TBackgroundStyle Value);
  // A copy of the picture becomes the background.
  void SetBackgroundBitmap(const TGraphic &Graphic);
  void ClearDocument();
  // A full formatting pass (nothing while the vertical step is 0).
  void ReformatDocument();
  // Formats the items appended since the last pass.
  void FormatTail();
  void AddTextParagraph(const std::string &Text, int TextStyleNo, int ParaNo);
  void AddTextRun(const std::string &Text, int TextStyleNo) { AddTextParagraph(Text, TextStyleNo, -1); }
  void AddLineBreak();
  void AddPictureItem(const std::string &Name, int ImageIndex, TCustomImageList *ImageList, int ParaNo);
  void AddHotPictureItem(const std::string &Name, std::unique_ptr<TGraphic> Graphic, int ParaNo, TRVVAlign VAlign,
                         const TRVTag &Tag);
  void AddControlItem(const std::string &Name, TControl *Control, int ParaNo, TRVVAlign VAlign, const TRVTag &Tag);
  void DeleteItems(int FirstItemNo, int Count);
  int ItemCountOf() const { return FRVData->GetItemCount(); }
  int ItemStyleOf(int ItemNo) const { return FRVData->GetItemStyle(ItemNo); }
  std::string ItemTextOf(int ItemNo) const;
  int ItemParagraphOf(int ItemNo, int Offset) const { return FRVData->GetLineNumber(ItemNo, Offset); }
  bool IsItemText(int ItemNo) const { return FRVData->IsTextItem(ItemNo); }
  int ItemEndOffset(int ItemNo) const { return FRVData->GetItemEndOffset(ItemNo); }
  TCustomRVItemInfo *GetItem(int ItemNo) const { return FRVData->GetItem(ItemNo); }
  int GetDocumentHeight() const { return FRVData->DocumentHeight; }
  // Typed item information; ERichVistaError for an item of another kind.
  void GetBreakItemInfo(int ItemNo, uint8_t &Width, uint8_t &Style, TColor &Color, TRVTag &Tag) const {
    FRVData->GetBreakInfo(ItemNo, Width, Style, Color, Tag);
  }
  void GetBulletItemInfo(int ItemNo, std::string &Name, TCustomImageList *&ImageList, int &ImageIndex,
                         TRVTag &Tag) const {
    FRVData->GetBulletInfo(ItemNo, Name, ImageIndex, ImageList, Tag);
  }
  void GetHotspotItemInfo(int ItemNo, std::string &Name, int &ImageIndex, int &HotImageIndex,
                          TCustomImageList *&ImageList, TRVTag &Tag) const {
    FRVData->GetHotspotInfo(ItemNo, Name, ImageIndex, HotImageIndex, ImageList, Tag);
  }
  void GetPictureItemInfo(int ItemNo, std::string &Name, TGraphic *&Graphic, TRVVAlign &VAlign, TRVTag &Tag) const {
    FRVData->GetPictureInfo(ItemNo, Name, Graphic, VAlign, Tag);
  }
  void GetControlItemInfo(int ItemNo, std::string &Name, TControl *&Control, TRVVAlign &VAlign, TRVTag &Tag) const {
    FRVData->GetControlInfo(ItemNo, Name, Control, VAlign, Tag);
  }
  bool GetItemExtraIntProperty(int ItemNo, int Prop, int &Value) const {
    return FRVData->GetItemExtraIntProperty(ItemNo, Prop, Value);
  }
  // Plain text, 8-bit or UTF-16.
  bool SaveTextToStream(std::string &Stream, int LineWidth, bool SelectionOnly, bool TextOnly);
  bool SaveTextToStreamW(std::string &Stream, int LineWidth, bool SelectionOnly, bool TextOnly);
  // Taken only when positive and the document then needs fewer than 32001
  // steps.
  void SetVSmallStep(int Value) override;
  bool SaveToFileRTF(const std::string &FileName, std::string *Error = nullptr);
  bool SaveToFileText(const std::string &FileName, int LineWidth, std::string *Error = nullptr);
  bool SaveRVFToStream(std::string &Stream, bool SelectionOnly);
  bool SaveRTFToStream(std::string &Stream, bool SelectionOnly);

  // --------------------------------------------------------- selection
  void SelectAll();
  void Deselect();
  bool SelectionExists() const { return FRVData->SelectionExists(); }
  TGraphic *GetSelectedImage() const { return FRVData->GetSelectedImage(); }
  void SetSelectionBounds(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs);
  void GetSelectionBounds(int &StartItemNo, int &StartOffs, int &EndItemNo, int &EndOffs, bool Ordered) const {
    FRVData->GetSelectionBounds(StartItemNo, StartOffs, EndItemNo, EndOffs, Ordered);
  }
  std::string GetSelText() const { return FRVData->GetSelectedText(false); }
  // Copies the selection in the formats Options enables.
  void CopyDef();

  // ------------------------------------------------------ auto-scroll
  // The direction a pointer at a client coordinate asks for along an axis
  // of the given size: -10, -1, 0, 1 or 10.
  static int AutoScrollDirection(int Coord, int Size);
  void StartAutoScrollTimer(bool Slow);
  void StopAutoScrollTimer();
  bool AutoScrollTimerRunning() const { return FScrollTimer.active(); }
  // One tick of the auto-scroll timer.
  void AutoScrollTick();
  int VAutoScrollDirection() const { return FVScrollDirection; }
  int HAutoScrollDirection() const { return FHScrollDirection; }

  // -------------------------------------------------------- dragging
  // Runs a drag of the selection (the data filled first); answers what the
  // drop did. Tests put their own runner in place of QDrag::exec.
  std::function<Qt::DropAction(QDrag &)> DragRunner;
  void StartDragSelection();
  // What a drag of the selection may do, asked as it starts (a view only
  // copies), and what it did, told when it has ended.
  virtual Qt::DropActions StartingDrag(QDrag &Drag) {
    (void)Drag;
    return Qt::CopyAction;
  }
  virtual void DragEnded(Qt::DropAction Result) { (void)Result; }

  // Fires a deferred record at once (the receiving side of posted records).
  void DispatchDeferredEvent(TRVMessageData &Data);
  // A left press and release inside the window; a drop that was taken at a
  // client point; the end of a drag of the selection (Target: the object
  // that took the drop, null when none). They fire OnClick, OnDragDrop and
  // OnEndDrag; a cell's editor posts them to the control around it.
  virtual void Click();
  virtual void DragDrop(QObject *Source, int X, int Y);
  virtual void EndDrag(QObject *Target, int X, int Y);
  // The pointer of a selection that a child editor started, in this view's
  // client coordinates: the document follows it and the view scrolls while
  // it is outside.
  void ChildMouseMove(TRVShiftState Shift, int X, int Y) { MouseMove(Shift, X, Y); }

  // ------------------------------------------- TRVFormatHost answers
  void DoSelect() override;
  void DoJump(int Id) override;
  void DoRVMouseMove(int Id) override;
  bool HasRVMouseDownHandler() const override { return bool(OnRVMouseDown); }
  void DoRVMouseDown(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y) override;
  bool HasRVMouseUpHandler() const override { return bool(OnRVMouseUp); }
  void DoRVMouseUp(TRVMouseButton Button, TRVShiftState Shift, int ItemNo, int X, int Y) override;
  bool HasRVDblClickHandler() const override { return bool(OnRVDblClick); }
  void DoRVDblClick(const std::string &Word, int StyleNo) override;
  bool HasRVRightClickHandler() const override { return bool(OnRVRightClick); }
  void DoRVRightClick(const std::string &Word, int StyleNo, int X, int Y) override;
  bool HasCopyHandler() const override { return bool(OnCopy); }
  void DoCopy(Clipboard::Batch &Formats) override;
  void SetControlCursor(TCursor Cursor) override;
  void FocusControl() override;
  bool PostDragStart() override;
  bool HasCheckpointVisibleHandler() const override { return bool(OnCheckpointVisible); }
  void DoCheckpointVisible(TRVCPInfo *CP) override;

protected:
  // The editor makes its own document class.
  using TDataFactory = std::function<std::unique_ptr<TRVControlData>(TCustomRichVista *)>;
  TCustomRichVista(QWidget *Parent, const TDataFactory &Factory);

  bool event(QEvent *Event) override;
  void paintEvent(QPaintEvent *Event) override;
  void mousePressEvent(QMouseEvent *Event) override;
  void mouseMoveEvent(QMouseEvent *Event) override;
  void mouseReleaseEvent(QMouseEvent *Event) override;
  void mouseDoubleClickEvent(QMouseEvent *Event) override;
  void keyPressEvent(QKeyEvent *Event) override;
  // Tab moves among the document's links and controls first.
  bool focusNextPrevChild(bool Next) override;
  void focusInEvent(QFocusEvent *Event) override;
  void focusOutEvent(QFocusEvent *Event) override;
  void leaveEvent(QEvent *Event) override;
  void resizeEvent(QResizeEvent *Event) override;
  void VScrolled() override;
  void HScrolled() override;

  // The view's handling of one mouse action, in client coordinates.
  virtual void MouseDown(TRVMouseButton Button, TRVShiftState Shift, int X, int Y);
  virtual void MouseMove(TRVShiftState Shift, int X, int Y);
  virtual void MouseUp(TRVMouseButton Button, TRVShiftState Shift, int X, int Y);
  virtual void DblClick(int X, int Y);
  // A mouse move at the pointer, so that hover and selection follow a still
  // pointer while the document scrolls under it.
  void GenerateMouseMove();

private:
  void Init(const TDataFactory &Factory);
  std::unique_ptr<TRVBackground> FBackground;
  std::unique_ptr<TRVControlData> FRVData;
  GuiTimer FScrollTimer;
  int FVScrollDirection = 0, FHScrollDirection = 0;
  bool FDestroying = false;
  // A left press arrived here: its release inside the window is a click.
  bool FClickPending = false;
};

// The view with every property open to the program; it adds nothing.
class TRichVista : public TCustomRichVista {
public:
  using TCustomRichVista::TCustomRichVista;
};

} // namespace kc
