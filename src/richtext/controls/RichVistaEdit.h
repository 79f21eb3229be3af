#pragma once
// The editor: the view with an editable document, the caret drawn by the
// widget itself, keys and input methods turned into editing operations, and
// a read-only test and a veto event guarding every change. Most public
// operations act in the innermost open cell editor first.
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/GuiTimer.h"
#include "richtext/controls/RVERVData.h"
#include "richtext/controls/RichVista.h"

class QMimeData;
class QDrag;
class QDragEnterEvent;
class QDragMoveEvent;
class QDragLeaveEvent;
class QDropEvent;
class QInputMethodEvent;
class QKeyEvent;
class QPainter;
class QContextMenuEvent;

namespace kc {

class TCustomRichVistaEdit;
class TRVRTFReaderProperties;
class DataObject;

enum TRVEditorOption : uint8_t {
  rvoClearTagOnStyleApp,
  rvoCtrlJumps,
  rvoDoNotWantReturns,
  rvoDoNotWantShiftReturns,
  rvoWantTabs,
  rvoAutoSwitchLang,
  rvoHideReadOnlyCaret,
  rvoNoImageResize,
  rvoNoCaretHighlightJumps
};
using TRVEditorOptions = TRVSet<TRVEditorOption, uint16_t>;

enum TRVDragDropFormat : uint8_t {
  rvddRVF,
  rvddRTF,
  rvddText,
  rvddUnicodeText,
  rvddBitmap,
  rvddMetafile,
  rvddURL,
  rvddFiles
};
using TRVDragDropFormats = TRVSet<TRVDragDropFormat, uint8_t>;

enum TRVDropFileAction : uint8_t { rvdfNone, rvdfInsert, rvdfLink };

// TRVGetOutDirection comes with the items (RVItemTypes.h): an item that
// takes the caret is told the direction of the move too.

// Document flag bits: jump mode is entered around RTF and HTML exports;
// a read-only editor takes drops.
enum : uint16_t { rvflJumpsForExport = 0x80, rvflDropIntoReadOnly = 0x200 };
// Document state bit: the focus is moving into a cell editor just opened,
// so the outer editor's loss of focus keeps jump mode.
enum : uint32_t { rvstMovingFocusToCell = 0x40000 };

// The editor's document: what it asks of its control (focus, read-only,
// caret and style reports, the conversion handler, the change report) is
// answered from the control.
class TRVEditControlData : public TRVEditRVData {
public:
  explicit TRVEditControlData(TCustomRichVistaEdit *Editor);
  // Formatted on Host (a cell editor without a control of its own has
  // Editor nullptr).
  TRVEditControlData(TRVFormatHost *Host, TCustomRichVistaEdit *Editor);
  TCustomRichVistaEdit *Editor() const { return FEditor; }
  // The control is going: the hooks answer as a headless document's.
  void Detach() { FEditor = nullptr; }

  bool CaretHasFocus() const override;
  bool IsReadOnly() const override;
  bool NoImageResize() const override;
  bool CanChange() override;
  void DoCaretMove() override;
  void DoCurStyleChange() override;
  bool CaretHighlightsJumps() const override;
  int ConvertTextStyle(int StyleNo, int UserData, bool AppliedToText) override;
  int ConvertParaStyle(int ParaNo, int UserData, bool AppliedToText) override;
  void DoChange(bool ClearRedo) override;

  const TControl *ViewControl() const override;
  bool IsInViewWindow(const TControl *Control) const override;
  void GiveControlFocus(TControl *Control) override;
  void FocusView() override;

  // A cell editor control on this editor (a document without a control
  // gets one without).
  TRVCellEditor *CreateCellEditor(TCustomRVItemInfo *Table, TCustomRVFormattedData *Cell) override;

  // One undoable step each, inside the undo group the control opened.
  void SetExtraIntPropertyEd(int ItemNo, TRVExtraItemProperty Prop, bool Reformat, int Value);

private:
  TCustomRichVistaEdit *FEditor;
};

class TCustomRichVistaEdit : public TCustomRichVista {
public:
  explicit TCustomRichVistaEdit(QWidget *Parent = nullptr);
  ~TCustomRichVistaEdit() override;

  // ------------------------------------------------------------ events
  // The sender is the outermost editor, also for a change in a cell editor.
  using TEditEvent = std::function<void(TCustomRichVistaEdit *)>;
  TEditEvent OnChange, OnCaretMove, OnCurTextStyleChanged, OnCurParaStyleChanged;
  std::function<void(TCustomRichVistaEdit *, bool &CanEdit)> OnChanging;
  std::function<void(TCustomRichVistaEdit *, TRVGetOutDirection Direction)> OnCaretGetOut;
  std::function<void(TCustomRichVistaEdit *, bool &DoDefault)> OnPaste;
  using TRVStyleConversionEvent =
      std::function<void(TCustomRichVistaEdit *, int StyleNo, int UserData, bool AppliedToText, int &NewStyleNo)>;
  TRVStyleConversionEvent OnStyleConversion, OnParaStyleConversion;
  std::function<void(TCustomRichVistaEdit *, const std::vector<std::string> &Files, TRVDropFileAction &FileAction,
                     bool &DoDefault)>
      OnDropFiles;
  // The view's handlers and, from an editor, its style, paste, caret and
  // drop handlers (not OnChange, OnChanging, OnCaretGetOut).
  void AssignEvents(const TCustomRichVista &Source);

  // -------------------------------------------------------- properties
  TRVDragDropFormats AcceptDragDropFormats = TRVDragDropFormats::FromRaw(191);
  TRVEditorOptions EditorOptions{rvoClearTagOnStyleApp};
  // Set by every change; cleared only by the owner.
  bool Modified = false;
  virtual void SetReadOnly(bool Value);
  virtual bool GetReadOnly() const { return FReadOnly; }
  bool ReadOnly() const { return GetReadOnly(); }
  // The flag alone, without entering or leaving jump mode (cell editors).
  void StoreReadOnly(bool Value) { FReadOnly = Value; }
  int UndoLimit() const;
  void SetUndoLimit(int Value);
  // ERichVistaError "Not supported in editor" for anything but rvtnNone.
  void SetTabNavigation(TRVTabNavigationType Value);
  TRVEditRVData *EditData() const { return static_cast<TRVEditRVData *>(RVData()); }
  // The innermost open cell editor, or this editor.
  TCustomRichVistaEdit *InnermostEditor();
  // The editor whose cell editor this is, up to the top; this editor when
  // it is no cell editor.
  TCustomRichVistaEdit *GetOutermostEditor();
  // Reads (and the first time makes) the settings of RTF insertion.
  TRVRTFReaderProperties &RTFReadProperties();

  // ----------------------------------------------------------- changes
  // False (with the data's beep when refused by the veto) when the control
  // is read-only, has no style sheet or OnChanging says no.
  virtual bool CanChange(bool Forced = false);
  // After every completed change: resizer, modified flag, jump mode off,
  // redo list emptied when asked, OnChange.
  void Change(bool ClearRedo = true);

  // -------------------------------------------------------------- undo
  void Undo();
  void Redo();
  uint8_t UndoAction();
  uint8_t RedoAction();
  void ClearUndo();
  void SetUndoGroupMode(bool On);
  void BeginUndoGroup(uint8_t UndoType);
  static bool IsUndoShortcut(Qt::KeyboardModifiers Shift, int Key);
  static bool IsRedoShortcut(Qt::KeyboardModifiers Shift, int Key);

  // --------------------------------------------------------- insertion
  void DeleteSelection();
  void InsertText(std::string_view Text, bool CaretBefore = false);
  void InsertTextW(std::u16string_view Text, bool CaretBefore = false);
  bool InsertTextFromFile(const std::string &FileName);
  bool InsertStringTag(const std::string &Text, const TRVTag &Tag);
  bool InsertPicture(const std::string &Name, std::unique_ptr<TGraphic> Graphic, TRVVAlign VAlign);
  bool InsertRVFFromStreamEd(std::string_view Stream);
  bool InsertRVFFromFileEd(const std::string &FileName);
  bool InsertRTFFromStreamEd(std::string_view Stream);
  bool InsertRTFFromFileEd(const std::string &FileName);

  // ------------------------------------------------------------ styles
  void ApplyParaStyle(int ParaStyleNo);
  void ApplyStyleConversion(int UserData);
  void ApplyParaStyleConversion(int UserData);
  int CurTextStyleNo();
  void SetCurTextStyleNo(int Value);
  int CurParaStyleNo();
  void SetCurParaStyleNo(int Value);
  // Typing switches to the style sheet's DefUnicodeStyle when the current
  // text style is not Unicode and that style is a valid Unicode one.
  void SwitchToDefUnicodeStyle();
  // The stored text style resolved against the current paragraph.
  int ActualCurTextStyleNo();

  // ------------------------------------------------------------- caret
  int GetCaretItemNo();
  int GetCaretOffset();
  // The item at the caret (in the innermost editor), or nullptr.
  TCustomRVItemInfo *GetCurrentItem();
  bool SetItemExtraIntPropertyEd(int ItemNo, TRVExtraItemProperty Prop, bool Reformat, int Value);
  // The caret as the widget draws it, in client coordinates; empty while
  // it is hidden (no focus, no caret, read-only with rvoHideReadOnlyCaret).
  QRect CaretRect() const;
  // Whether the blink phase shows the caret now.
  bool CaretBlinkOn() const { return FCaretOn; }
  // The composition the input method shows at the caret (never in the
  // document).
  const QString &PreeditText() const { return FPreedit; }

  // ---- clipboard and drops
  // Whether the clipboard holds text, a bitmap, RTF or RVF.
  bool CanPaste() const;
  // The question of a program that asks about one format (0: any of them);
  // false while read-only.
  bool CanPasteFormat(unsigned Format) const;
  // OnPaste, then the first format the clipboard holds: RVF, RTF, Unicode
  // text, ANSI text, a bitmap. A format that fails is not followed by the
  // next one.
  void Paste();
  bool PasteRVF();
  bool PasteRTF();
  bool PasteText();
  bool PasteTextW();
  bool PasteBitmap(bool TextAsName);
  // Asked for the item of a dropped URL (DocFormat 4): its text style (the
  // current one on entry), tag and text (the title on entry).
  std::function<void(TCustomRichVistaEdit *, const std::string &Url, int DocFormat, int &StyleNo, TRVTag &Tag,
                     std::string &Text)>
      OnReadHyperlink;
  // The target side of a drag, in client coordinates; each answers whether
  // a drop would be taken (enter: at all; over: at that point).
  bool OleDragEnter(const QMimeData &Data);
  bool OleDragOver(int X, int Y);
  void OleDragLeave();
  // A drop of Data at the drop caret (Move: the source will delete its
  // copy); the effect: 0 none, 1 copy, 2 move.
  int OleDrop(const QMimeData &Data, bool Move);
  // Inserts the dropped data in one format (0: the first one that works).
  bool InsertDroppedData(const QMimeData &Data, unsigned Format);
  // The format this editor asks of its own drag when it drops on itself.
  unsigned PreferredDropFormat() const;
  // Vertical auto-scroll direction during a drag over the editor.
  int DropVScrollDirection() const { return FDropVScroll; }
  // Where a drop would go, in client coordinates (empty when none).
  QRect DropCaretRect() const;
  // The drop place as an item position; false when there is none.
  bool GetDropCaret(int &ItemNo, int &Offs) const;
  // ---- end of clipboard and drops

  // The caret's place, the current text style's font, the caret's
  // paragraph and whether typing is possible.
  QVariant inputMethodQuery(Qt::InputMethodQuery Query) const override;

  // -------------------------------------- answers of the document hooks
  void SetControlCursor(TCursor Cursor) override;
  void DoCaretMoveEvent();
  void DoCurStyleChangeEvent();
  // The style the active conversion handler gives (text or paragraph).
  int DoConvertStyle(int StyleNo, int UserData, bool AppliedToText);

protected:
  // A derived editor (the cell editor) makes its own document class.
  TCustomRichVistaEdit(QWidget *Parent, const TDataFactory &Factory);
  bool event(QEvent *Event) override;
  void paintEvent(QPaintEvent *Event) override;
  // The item resizer takes the mouse first while it is on a handle.
  void mousePressEvent(QMouseEvent *Event) override;
  void mouseMoveEvent(QMouseEvent *Event) override;
  void mouseReleaseEvent(QMouseEvent *Event) override;
  void keyPressEvent(QKeyEvent *Event) override;
  void keyReleaseEvent(QKeyEvent *Event) override;
  bool focusNextPrevChild(bool Next) override;
  void focusInEvent(QFocusEvent *Event) override;
  void focusOutEvent(QFocusEvent *Event) override;
  void inputMethodEvent(QInputMethodEvent *Event) override;
  // The menu key asks for the context menu at the caret; a right click
  // has asked through the view already.
  void contextMenuEvent(QContextMenuEvent *Event) override;
  void VScrolled() override;
  void HScrolled() override;

  // ---- clipboard and drops
  void dragEnterEvent(QDragEnterEvent *Event) override;
  void dragMoveEvent(QDragMoveEvent *Event) override;
  void dragLeaveEvent(QDragLeaveEvent *Event) override;
  void dropEvent(QDropEvent *Event) override;
  // The effect offered for a drag event (Ctrl, the source's effects and
  // whether the drag started here decide).
  Qt::DropAction DropEffectFor(const QDropEvent &Event) const;
  // A drag of this editor's selection may also move it; a move that ended
  // elsewhere deletes the selection here.
  Qt::DropActions StartingDrag(QDrag &Drag) override;
  void DragEnded(Qt::DropAction Result) override;
  void PaintDropCaret(QPainter &Painter);
  // ---- end of clipboard and drops

  // A cell editor whose own list is empty passes Undo (Redo) to the editor
  // around it and answers true; other editors answer false.
  virtual bool UndoOutside(bool Redo) {
    (void)Redo;
    return false;
  }
  // Key handling with Windows-like key codes (RichVistaEditKeys.cpp). Key
  // is cleared (0) when the key has been taken.
  virtual void KeyDown(int &Key, Qt::KeyboardModifiers Shift);
  virtual void KeyUp(int &Key, Qt::KeyboardModifiers Shift);
  // The steps of KeyDown, each true (or, for SelectionBeforeKey, false)
  // when the key is dealt with: the shortcuts (undo, redo, copy, Escape of
  // a resize); what the selection does before the key (deleted before
  // typing, cut, pasted over, grown by Shift); the editing keys (Backspace,
  // Delete, Enter, Ctrl+Tab); the caret keys.
  bool ShortcutKey(int &Key, Qt::KeyboardModifiers Shift);
  bool SelectionBeforeKey(int &Key, Qt::KeyboardModifiers Shift, bool &Refresh);
  bool EditingKey(int &Key, Qt::KeyboardModifiers Shift);
  void CaretKey(int &Key, Qt::KeyboardModifiers Shift, bool Refresh);
  // One typed character (UTF-16 unit or surrogate pair).
  virtual void KeyPress(std::u16string_view Text);

  // The insertion frame around every insertion and paste: true when the
  // insertion may go on (the selection is then deleted).
  bool BeforeInserting();
  void AfterInserting(bool Changed);
  // The frame around a data operation; false when refused.
  bool RunInsertion(const std::function<bool(TRVEditRVData &)> &Insert);

  // The caret overlay.
  void UpdateCaret();
  bool DrawsOverDocument() const;
  void HideCaret();
  void RestartCaretBlink();
  // The input method's composition in place of the caret.
  void PaintPreedit(QPainter &Painter, const QRect &Caret);

  // Cut and copy of the selection (the view's copy).
  void CutToClipboard();
  void CopyToClipboard();

private:
  friend class TRVEditControlData;
  TRVEditControlData *Data() const { return static_cast<TRVEditControlData *>(RVData()); }
  void DoUndoRedo(bool Redo);
  // A style conversion with Handler active, reporting a change only when
  // text or paragraphs took another style.
  void RunConversion(const TRVStyleConversionEvent &Handler, const std::function<void(TRVEditRVData &)> &Convert);
  bool FReadOnly = false;
  bool FInserting = false;
  // Whether the insertion frame now running has changed the document.
  bool FChangedInFrame = false;
  // The caret overlay: shown while focused; blinks with the desktop's period.
  GuiTimer FCaretTimer;
  bool FCaretOn = false;
  bool FCaretShown = false;
  // Where the caret was last painted, to be repainted when it moves.
  QRect FLastCaret;
  int FReportedTextStyle = -1, FReportedParaStyle = -1;
  QString FPreedit;
  int FPreeditCursor = 0;
  // The active style conversion handler (OnStyleConversion or
  // OnParaStyleConversion) while a conversion runs.
  const TRVStyleConversionEvent *FConversionHandler = nullptr;
  std::unique_ptr<TRVRTFReaderProperties> FRTFReadProperties;

  // ---- clipboard and drops
  int FDropVScroll = 0;
  // The place a drop goes to while something is dragged over the editor;
  // several drag sessions may share it.
  struct TRVDropCaret {
    TCustomRVFormattedData *RVData = nullptr;
    int ItemNo = -1, Offs = -1;
    int UseCount = 0;
    QRect Rect; // document coordinates
  };
  std::unique_ptr<TRVDropCaret> FDropCaret;
  GuiTimer FDropScrollTimer;
  QPoint FDropPoint;
  // A drag of this editor's selection is running; its data; whether a move
  // that ends elsewhere still has to delete the selection here.
  bool FDragFromHere = false, FDeleteDraggedOnMove = false;
  QPointer<QMimeData> FDraggedData;
  // The format the last drop inserted (0: none).
  unsigned FDroppedFormat = 0;
  void ReleaseDropCaret();
  void HideDropCaret();
  void DropScrollTick();
  bool InsertDroppedFormat(const DataObject &Data, unsigned Format);
  bool InsertDroppedUrl(const DataObject &Data);
  bool InsertDroppedFiles(const DataObject &Data);
  bool PasteFormat(const DataObject &Data, unsigned Format);
  bool InsertTextOf(const DataObject &Data, bool Unicode);
  bool InsertBitmapOf(const DataObject &Data, bool TextAsName);
  bool InsertRVFBlock(std::string_view Block);
  bool InsertRTFWithBase(std::string_view Rtf, const std::string &BasePath);
  // ---- end of clipboard and drops
};

// The editor with every property open to the program; it adds nothing.
class TRichVistaEdit : public TCustomRichVistaEdit {
public:
  using TCustomRichVistaEdit::TCustomRichVistaEdit;
};

} // namespace kc
