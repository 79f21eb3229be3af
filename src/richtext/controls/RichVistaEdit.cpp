// The editor control: construction, the change guard and report, undo,
// the insertion frame and the public editing operations, the caret overlay
// and focus.
#include "richtext/controls/RichVistaEdit.h"

#include "platform/QtCanvas.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "platform/Beep.h"
#include "platform/Cursors.h"
#include "platform/DesktopMetrics.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "richtext/controls/RVRTFImport.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

// Clears a flag however the scope ends.
struct TFlagScope {
  explicit TFlagScope(bool &Flag) : F(Flag) { F = true; }
  ~TFlagScope() { F = false; }
  bool &F;
};

} // namespace

// =========================================================== the document

TRVEditControlData::TRVEditControlData(TCustomRichVistaEdit *Editor) : TRVEditRVData(Editor), FEditor(Editor) {}
TRVEditControlData::TRVEditControlData(TRVFormatHost *Host, TCustomRichVistaEdit *Editor)
    : TRVEditRVData(Host), FEditor(Editor) {}
bool TRVEditControlData::CaretHighlightsJumps() const {
  return !FEditor || !FEditor->EditorOptions.Has(rvoNoCaretHighlightJumps);
}

bool TRVEditControlData::CaretHasFocus() const { return FEditor && FEditor->hasFocus(); }
bool TRVEditControlData::IsReadOnly() const { return FEditor && FEditor->GetReadOnly(); }
void TRVEditControlData::DoCaretMove() {
  if (FEditor) FEditor->DoCaretMoveEvent();
}
void TRVEditControlData::DoCurStyleChange() {
  if (FEditor) FEditor->DoCurStyleChangeEvent();
}
bool TRVEditControlData::NoImageResize() const { return FEditor && FEditor->EditorOptions.Has(rvoNoImageResize); }
bool TRVEditControlData::CanChange() { return FEditor && FEditor->CanChange(); }
int TRVEditControlData::ConvertTextStyle(int StyleNo, int UserData, bool AppliedToText) {
  return FEditor ? FEditor->DoConvertStyle(StyleNo, UserData, AppliedToText) : StyleNo;
}
int TRVEditControlData::ConvertParaStyle(int ParaNo, int UserData, bool AppliedToText) {
  return FEditor ? FEditor->DoConvertStyle(ParaNo, UserData, AppliedToText) : ParaNo;
}
void TRVEditControlData::DoChange(bool ClearRedo) {
  if (!FEditor) return;
  // An insertion reports its change once, when its frame ends.
  if (FEditor->FInserting) {
    FEditor->Modified = true;
    FEditor->FChangedInFrame = true;
    return;
  }
  FEditor->Change(ClearRedo);
}
const TControl *TRVEditControlData::ViewControl() const { return FEditor; }
bool TRVEditControlData::IsInViewWindow(const TControl *Control) const {
  return FEditor && Control && Control->window() == FEditor->window();
}
void TRVEditControlData::GiveControlFocus(TControl *Control) { Control->setFocus(Qt::TabFocusReason); }
void TRVEditControlData::FocusView() {
  if (FEditor) FEditor->setFocus(Qt::TabFocusReason);
}

void TRVEditControlData::SetExtraIntPropertyEd(int ItemNo, TRVExtraItemProperty Prop, bool Reformat, int Value) {
  int caretItem = -1, caretOffs = -1;
  GetCaretItemPos(caretItem, caretOffs);
  BeginUndoSequence(rvutModifyItem, true);
  StartEdit();
  Do_ExtraIntProperty(ItemNo, Prop, Value);
  if (Reformat) {
    ReformatAfterEdit();
    if (caretItem >= 0) SetCaretItemPos(caretItem, caretOffs, false);
  } else {
    FEdit.Active = false;
  }
  FinishEditing(true);
}

// ============================================================ the control

TCustomRichVistaEdit::TCustomRichVistaEdit(QWidget *Parent)
    : TCustomRichVistaEdit(Parent, [this](TCustomRichVista *) { return std::make_unique<TRVEditControlData>(this); }) {}

TCustomRichVistaEdit::TCustomRichVistaEdit(QWidget *Parent, const TDataFactory &Factory)
    : TCustomRichVista(Parent, Factory) {
  KeyboardScrolling = false;
  Flags = uint16_t((Flags | rvflJumpsForExport) & ~(rvflBuildJumps | rvflExternalLeading));
  Data()->TabNavigation = rvtnNone;
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  setAcceptDrops(true);
  SetControlCursor(crDefault);
}

TCustomRichVistaEdit::~TCustomRichVistaEdit() {
  FCaretTimer.stop();
  // An open cell editor gives its items back while the table still lives.
  PrepareDestroy();
  // The document goes with the view; what clearing it reports is nobody's
  // business any more (no caret or style events from a closing editor).
  Data()->Detach();
  ClearDocument();
}

void TCustomRichVistaEdit::AssignEvents(const TCustomRichVista &Source) {
  TCustomRichVista::AssignEvents(Source);
  if (auto *e = dynamic_cast<const TCustomRichVistaEdit *>(&Source)) {
    OnStyleConversion = e->OnStyleConversion;
    OnParaStyleConversion = e->OnParaStyleConversion;
    OnPaste = e->OnPaste;
    OnCurParaStyleChanged = e->OnCurParaStyleChanged;
    OnCurTextStyleChanged = e->OnCurTextStyleChanged;
    OnCaretMove = e->OnCaretMove;
    OnDropFiles = e->OnDropFiles;
  }
}

void TCustomRichVistaEdit::SetControlCursor(TCursor Cursor) {
  // Text is the editor's ground: what is not a link shows the I-beam.
  TCustomRichVista::SetControlCursor(Cursor == crDefault ? crIBeam : Cursor);
}

// ----------------------------------------------------------- properties

void TCustomRichVistaEdit::SetReadOnly(bool Value) {
  FReadOnly = Value;
  if (Value) EditData()->EnterJumpMode(true);
  else EditData()->LeaveJumpMode();
  TCustomRichVistaEdit *inner = InnermostEditor();
  if (inner->Style && inner->EditData()->DrawLines.Count() > 0)
    inner->EditData()->PlaceCaret(false, false, false, true);
  UpdateCaret();
  update();
}

int TCustomRichVistaEdit::UndoLimit() const { return EditData()->UndoList->Limit; }
void TCustomRichVistaEdit::SetUndoLimit(int Value) { EditData()->UndoList->Limit = Value; }

void TCustomRichVistaEdit::SetTabNavigation(TRVTabNavigationType Value) {
  if (Value != rvtnNone) throw ERichVistaError("Not supported in editor");
}

TCustomRichVistaEdit *TCustomRichVistaEdit::InnermostEditor() {
  TCustomRichVistaEdit *e = this;
  while (auto *sub = dynamic_cast<TCustomRichVistaEdit *>(e->GetSubEditor())) e = sub;
  return e;
}

TCustomRichVistaEdit *TCustomRichVistaEdit::GetOutermostEditor() {
  TCustomRichVistaEdit *top = this;
  for (QWidget *w = parentWidget(); w; w = w->parentWidget())
    if (auto *e = dynamic_cast<TCustomRichVistaEdit *>(w); e && e->GetSubEditor() == top) top = e;
  return top;
}

TRVRTFReaderProperties &TCustomRichVistaEdit::RTFReadProperties() {
  if (!FRTFReadProperties) {
    FRTFReadProperties = std::make_unique<TRVRTFReaderProperties>(EditorRTFReadProperties());
    TRVFormatHost::RTFReadProperties = FRTFReadProperties.get();
  }
  return *FRTFReadProperties;
}

// -------------------------------------------------------------- changes

bool TCustomRichVistaEdit::CanChange(bool Forced) {
  if (GetReadOnly() || !Style) {
    EditData()->Beep();
    return false;
  }
  if (!Forced && EditData()->MouseSel.Selecting) return true;
  bool can = true;
  if (OnChanging) OnChanging(GetOutermostEditor(), can);
  if (!can) {
    EditData()->Beep();
    return false;
  }
  EditData()->EnsureNotEmpty();
  if (EditData()->ClearSoftPageBreaks()) update();
  return true;
}

void TCustomRichVistaEdit::Change(bool ClearRedo) {
  TRVEditRVData *d = EditData();
  d->UpdateResizer();
  Modified = true;
  if (d->ClearSoftPageBreaks()) update();
  d->LeaveJumpMode();
  if (ClearRedo) d->RedoList->Clear();
  UpdateCaret();
  if (OnChange) OnChange(GetOutermostEditor());
}

// ----------------------------------------------------------------- undo

void TCustomRichVistaEdit::DoUndoRedo(bool Redo) {
  if (GetReadOnly()) {
    Beep();
    return;
  }
  // The innermost open cell editor takes back its own steps first; the
  // rest of its history is one step of the editor around it.
  if (auto *sub = dynamic_cast<TCustomRichVistaEdit *>(GetSubEditor())) {
    if ((Redo ? sub->RedoAction() : sub->UndoAction()) != rvutNone) {
      if (Redo) sub->Redo();
      else sub->Undo();
      return;
    }
  }
  TRVEditRVData *d = EditData();
  TRVUndoList &own = Redo ? *d->RedoList : *d->UndoList;
  own.RemoveEmptyLastGroup();
  if (own.Count() == 0 && UndoOutside(Redo)) return;
  const bool done = Redo ? d->Redo() : d->Undo();
  if (done) {
    Change(false);
    update();
    if (TRVScroller *sub = GetSubEditor()) sub->update();
  }
  FocusIfCanFocus();
}

void TCustomRichVistaEdit::Undo() { DoUndoRedo(false); }
void TCustomRichVistaEdit::Redo() { DoUndoRedo(true); }

uint8_t TCustomRichVistaEdit::UndoAction() {
  if (auto *sub = dynamic_cast<TCustomRichVistaEdit *>(GetSubEditor()))
    if (const uint8_t a = sub->UndoAction(); a != rvutNone) return a;
  return EditData()->UndoList->CurrentAction();
}

uint8_t TCustomRichVistaEdit::RedoAction() {
  if (auto *sub = dynamic_cast<TCustomRichVistaEdit *>(GetSubEditor()))
    if (const uint8_t a = sub->RedoAction(); a != rvutNone) return a;
  return EditData()->RedoList->CurrentAction();
}

void TCustomRichVistaEdit::ClearUndo() {
  if (auto *sub = dynamic_cast<TCustomRichVistaEdit *>(GetSubEditor())) sub->ClearUndo();
  EditData()->UndoList->Clear();
  EditData()->RedoList->Clear();
}

void TCustomRichVistaEdit::SetUndoGroupMode(bool On) { InnermostEditor()->EditData()->SetUndoGroupMode(On); }

void TCustomRichVistaEdit::BeginUndoGroup(uint8_t UndoType) {
  InnermostEditor()->EditData()->BeginUndoSequence(UndoType, true);
}

// ------------------------------------------------------------ insertion

bool TCustomRichVistaEdit::BeforeInserting() {
  TRVEditRVData *d = EditData();
  if (d->MouseSel.Selecting || !d->CanDeleteSelection()) {
    d->Beep();
    return false;
  }
  if (!CanChange()) return false; // it has beeped
  d->BeginUndoSequence(rvutInsert, true);
  d->SetUndoGroupMode(true);
  const int style = d->CurTextStyleNo;
  if (d->SelectionExists() && d->DeleteSelection()) FChangedInFrame = true;
  d->ClearSelection(false);
  d->CurTextStyleNo = style;
  return true;
}

void TCustomRichVistaEdit::AfterInserting(bool Changed) {
  // The frame has already turned its group mode off, once: a second time
  // would end the group mode of a caller grouping several insertions.
  update();
  // An insertion that put nothing in reports no change: the redo list and
  // the modified flag stay as they were.
  if (Changed) Change(true);
}

bool TCustomRichVistaEdit::RunInsertion(const std::function<bool(TRVEditRVData &)> &Insert) {
  TCustomRichVistaEdit *e = InnermostEditor();
  TRVEditRVData *d = e->EditData();
  int a = -1, ao = -1, b = -1, bo = -1;
  const bool selected = d->SelectionExists();
  if (selected) d->GetSelectionBounds(a, ao, b, bo, false);
  const TRVUndoInfos *before = d->UndoList->LastGroup();
  // Deleting the selection empties the redo list; it is set aside so that a
  // failed insertion can give it back with the selection.
  std::vector<std::unique_ptr<TRVUndoInfos>> redo;
  if (selected) d->RedoList->SwapGroups(redo);
  bool result = false;
  {
    TFlagScope inserting(e->FInserting);
    e->FChangedInFrame = false;
    if (!e->BeforeInserting()) {
      d->RedoList->SwapGroups(redo);
      return false;
    }
    struct TGroupEnd {
      TRVEditRVData *D;
      ~TGroupEnd() { D->SetUndoGroupMode(false); }
    } groupEnd{e->EditData()};
    result = Insert(*d);
  }
  bool changed = e->FChangedInFrame;
  const TRVUndoInfos *after = d->UndoList->LastGroup();
  if (!result && after && after != before && after->UndoType == rvutInsert) {
    // Nothing went in (data that could not be read, a file that is not
    // there), but the selection had been deleted to make room: undoing that
    // deletion gives back exactly what was there, and the selection.
    if (selected && !after->Records.empty()) {
      d->Undo();
      d->RedoList->SwapGroups(redo);
      d->SetSelectionBounds(a, ao, b, bo);
      changed = false;
    }
    // Nor does the attempt stay in the undo list as an empty step.
    d->UndoList->RemoveEmptyLastGroup();
  }
  e->AfterInserting(changed);
  return result;
}

void TCustomRichVistaEdit::DeleteSelection() {
  TCustomRichVistaEdit *e = InnermostEditor();
  if (!e->EditData()->SelectionExists() || !e->CanChange()) return;
  {
    TFlagScope inserting(e->FInserting);
    e->EditData()->DeleteSelection();
  }
  e->Change(true);
  e->update();
}

void TCustomRichVistaEdit::InsertText(std::string_view Text, bool CaretBefore) {
  RunInsertion([&](TRVEditRVData &d) {
    d.InsertTextA(Text, CaretBefore);
    return true;
  });
}

void TCustomRichVistaEdit::InsertTextW(std::u16string_view Text, bool CaretBefore) {
  RunInsertion([&](TRVEditRVData &d) {
    d.InsertTextW(Text, CaretBefore);
    return true;
  });
}

bool TCustomRichVistaEdit::InsertTextFromFile(const std::string &FileName) {
  return RunInsertion([&](TRVEditRVData &d) { return d.InsertTextFromFile(FileName); });
}

bool TCustomRichVistaEdit::InsertStringTag(const std::string &Text, const TRVTag &Tag) {
  return RunInsertion([&](TRVEditRVData &d) {
    std::unique_ptr<TCustomRVItemInfo> item = RichVistaTextItemClass(&d);
    item->StyleNo = d.CurTextStyleNo;
    item->ParaNo = d.CurParaStyleNo;
    std::string text = Text;
    if (const TRVStyle *st = d.GetRVStyle(); st && st->TextStyles().GetTextStyleSafe(d.CurTextStyleNo)->Unicode) {
      item->ItemOptions.Include(rvioUnicode);
      text = AnsiToUnicode(d.GetStyleCodePage(d.CurTextStyleNo), text);
    }
    item->Tag = CopyTag(Tag, d.TagsArePChars());
    return d.InsertItemAtCaret(std::move(text), std::move(item), false);
  });
}

bool TCustomRichVistaEdit::InsertPicture(const std::string &Name, std::unique_ptr<TGraphic> Graphic, TRVVAlign VAlign) {
  if (!Graphic) return false;
  return RunInsertion([&](TRVEditRVData &d) {
    auto item = std::make_unique<TRVGraphicItemInfo>(&d, std::move(Graphic), VAlign);
    item->ParaNo = d.CurParaStyleNo;
    return d.InsertItemAtCaret(Name, std::move(item), false);
  });
}

bool TCustomRichVistaEdit::InsertRVFFromStreamEd(std::string_view Stream) {
  return RunInsertion([&](TRVEditRVData &d) { return d.InsertRVFFromStreamAtCaret(Stream); });
}

bool TCustomRichVistaEdit::InsertRTFFromStreamEd(std::string_view Stream) {
  TRVRTFReaderProperties &props = RTFReadProperties();
  return RunInsertion([&](TRVEditRVData &d) { return d.InsertRTFFromStreamAtCaret(Stream, props); });
}

bool TCustomRichVistaEdit::InsertRVFFromFileEd(const std::string &FileName) {
  std::string bytes;
  if (!ReadWholeFile(FileName, bytes)) return false;
  return InsertRVFFromStreamEd(bytes);
}

bool TCustomRichVistaEdit::InsertRTFFromFileEd(const std::string &FileName) {
  std::string bytes;
  if (!ReadWholeFile(FileName, bytes)) return false;
  return InsertRTFFromStreamEd(bytes);
}

// --------------------------------------------------------------- styles

void TCustomRichVistaEdit::ApplyParaStyle(int ParaStyleNo) {
  TCustomRichVistaEdit *e = InnermostEditor();
  if (!e->CanChange()) return;
  {
    TFlagScope inserting(e->FInserting);
    e->EditData()->ApplyParaStyle(ParaStyleNo);
  }
  e->Change(true);
  e->update();
}

void TCustomRichVistaEdit::ApplyStyleConversion(int UserData) {
  RunConversion(OnStyleConversion, [UserData](TRVEditRVData &d) { d.ApplyStyleConversion(UserData); });
}

void TCustomRichVistaEdit::ApplyParaStyleConversion(int UserData) {
  RunConversion(OnParaStyleConversion, [UserData](TRVEditRVData &d) { d.ApplyParaStyleConversion(UserData); });
}

void TCustomRichVistaEdit::RunConversion(const TRVStyleConversionEvent &Handler,
                                         const std::function<void(TRVEditRVData &)> &Convert) {
  TCustomRichVistaEdit *e = InnermostEditor();
  if (!Handler || !e->CanChange()) return;
  {
    TFlagScope inserting(e->FInserting);
    e->FChangedInFrame = false;
    e->FConversionHandler = &Handler;
    struct TReset {
      const TRVStyleConversionEvent *&H;
      ~TReset() { H = nullptr; }
    } reset{e->FConversionHandler};
    Convert(*e->EditData());
  }
  // Only the current style may have changed: that is no change of the text.
  if (e->FChangedInFrame) e->Change(true);
  e->update();
}

int TCustomRichVistaEdit::CurTextStyleNo() { return GetOutermostEditor()->EditData()->CurTextStyleNo; }
int TCustomRichVistaEdit::CurParaStyleNo() { return GetOutermostEditor()->EditData()->CurParaStyleNo; }

void TCustomRichVistaEdit::SetCurTextStyleNo(int Value) {
  TCustomRichVistaEdit *e = InnermostEditor();
  TRVEditRVData *d = e->EditData();
  if (Value == d->CurTextStyleNo) return;
  d->CurTextStyleNo = Value;
  d->RememberedTextStyleNo = Value;
  if (OnCurTextStyleChanged) OnCurTextStyleChanged(GetOutermostEditor());
}

void TCustomRichVistaEdit::SetCurParaStyleNo(int Value) {
  TCustomRichVistaEdit *e = InnermostEditor();
  TRVEditRVData *d = e->EditData();
  if (Value == d->CurParaStyleNo) return;
  d->CurParaStyleNo = Value;
  if (OnCurParaStyleChanged) OnCurParaStyleChanged(GetOutermostEditor());
}

void TCustomRichVistaEdit::SwitchToDefUnicodeStyle() {
  // The desktop's keyboards and input methods give Unicode text: typing
  // goes on in the style sheet's Unicode style where the current one is not
  // Unicode, so that no character is lost to a code page.
  TCustomRichVistaEdit *e = InnermostEditor();
  const TRVStyle *st = e->Style;
  if (!st) return;
  const int def = st->DefUnicodeStyle;
  if (def < 0 || def >= st->TextStyles().Count() || !st->TextStyles().Items(def)->Unicode) return;
  if (st->TextStyles().GetTextStyleSafe(e->EditData()->CurTextStyleNo)->Unicode) return;
  SetCurTextStyleNo(def);
}

int TCustomRichVistaEdit::ActualCurTextStyleNo() {
  TRVEditRVData *d = InnermostEditor()->EditData();
  return d->GetActualStyleEx(d->CurTextStyleNo, d->CurParaStyleNo);
}

// ---------------------------------------------------------------- caret

int TCustomRichVistaEdit::GetCaretItemNo() {
  TRVEditRVData *d = InnermostEditor()->EditData();
  int item = -1, offs = -1;
  d->GetCaretItemPos(item, offs);
  return item;
}

int TCustomRichVistaEdit::GetCaretOffset() {
  TRVEditRVData *d = InnermostEditor()->EditData();
  int item = -1, offs = -1;
  d->GetCaretItemPos(item, offs);
  return offs;
}

TCustomRVItemInfo *TCustomRichVistaEdit::GetCurrentItem() {
  TRVEditRVData *d = InnermostEditor()->EditData();
  const int item = GetCaretItemNo();
  return item >= 0 && item < d->GetItemCount() ? d->GetItem(item) : nullptr;
}

bool TCustomRichVistaEdit::SetItemExtraIntPropertyEd(int ItemNo, TRVExtraItemProperty Prop, bool Reformat, int Value) {
  TCustomRichVistaEdit *e = InnermostEditor();
  TRVEditRVData *d = e->EditData();
  if (ItemNo < 0 || ItemNo >= d->GetItemCount()) return false;
  int old = 0;
  if (!d->GetItem(ItemNo)->GetExtraIntProperty(Prop, old) || old == Value || !e->CanChange()) return false;
  {
    TFlagScope inserting(e->FInserting);
    e->Data()->SetExtraIntPropertyEd(ItemNo, Prop, Reformat, Value);
  }
  if (Reformat) {
    e->Change(true);
    e->update();
  }
  return true;
}

// ------------------------------------------------------- document hooks

void TCustomRichVistaEdit::DoCaretMoveEvent() {
  UpdateCaret();
  if (Destroying()) return;
  if (OnCaretMove) OnCaretMove(GetOutermostEditor());
}

void TCustomRichVistaEdit::DoCurStyleChangeEvent() {
  TRVEditRVData *d = EditData();
  if (d->CurTextStyleNo != FReportedTextStyle) {
    FReportedTextStyle = d->CurTextStyleNo;
    if (OnCurTextStyleChanged) OnCurTextStyleChanged(GetOutermostEditor());
  }
  if (d->CurParaStyleNo != FReportedParaStyle) {
    FReportedParaStyle = d->CurParaStyleNo;
    if (OnCurParaStyleChanged) OnCurParaStyleChanged(GetOutermostEditor());
  }
}

int TCustomRichVistaEdit::DoConvertStyle(int StyleNo, int UserData, bool AppliedToText) {
  int result = StyleNo;
  if (FConversionHandler && *FConversionHandler)
    (*FConversionHandler)(GetOutermostEditor(), StyleNo, UserData, AppliedToText, result);
  return result;
}

// -------------------------------------------------------------- events

bool TCustomRichVistaEdit::event(QEvent *Event) { return TCustomRichVista::event(Event); }

void TCustomRichVistaEdit::VScrolled() {
  TCustomRichVista::VScrolled();
  UpdateCaret();
  if (DrawsOverDocument()) update();
}

void TCustomRichVistaEdit::HScrolled() {
  TCustomRichVista::HScrolled();
  UpdateCaret();
  if (DrawsOverDocument()) update();
}

// The caret, input method text, resizer and drop caret are drawn over the
// document and do not move with its pixels: a scroll repaints the whole
// client while one shows. Without them (a transcript without the focus)
// the scrolled pixels stand as they are.
bool TCustomRichVistaEdit::DrawsOverDocument() const {
  return FLastCaret.isValid() || !FPreedit.isEmpty() || FDropCaret || EditData()->Resizer;
}

void TCustomRichVistaEdit::focusInEvent(QFocusEvent *Event) {
  TCustomRichVista::focusInEvent(Event);
  if (Destroying()) return;
  TRVEditRVData *d = EditData();
  d->EnsureNotEmpty();
  if (Style && d->DrawLines.Count() > 0) {
    if (d->CaretDrawItemNo < 0) d->SetCaretItemPos(0, d->GetOffsBeforeItem(0), false);
    else d->PlaceCaret(false, false, false, true);
  }
  RestartCaretBlink();
  update();
}

void TCustomRichVistaEdit::focusOutEvent(QFocusEvent *Event) {
  TCustomRichVista::focusOutEvent(Event);
  if (Destroying()) return;
  TRVEditRVData *d = EditData();
  if (!(d->GetAbsoluteRootData()->State & rvstMovingFocusToCell)) {
    if (!GetReadOnly()) d->LeaveJumpMode();
    update();
  }
  HideCaret();
}

bool TCustomRichVistaEdit::focusNextPrevChild(bool Next) {
  // Tab belongs to the editor when it wants tabs; else it leaves as from
  // any other widget.
  if (EditorOptions.Has(rvoWantTabs)) return false;
  return QWidget::focusNextPrevChild(Next);
}

// ---------------------------------------------------------- the caret

QRect TCustomRichVistaEdit::CaretRect() const {
  const TRVEditRVData *d = EditData();
  if (!FCaretShown || !Style || d->CaretDrawItemNo < 0 || d->CaretHeight <= 0) return QRect();
  if (GetReadOnly() && EditorOptions.Has(rvoHideReadOnlyCaret)) return QRect();
  const int x = d->CaretX - d->GetHOffs();
  const int y = d->CaretTop - d->GetVOffs();
  return QRect(x, y, 2, d->CaretHeight);
}

void TCustomRichVistaEdit::RestartCaretBlink() {
  FCaretShown = hasFocus();
  FCaretOn = FCaretShown;
  const int flash = caretFlashTime();
  // A flash time of 0 (or less) means a steady caret.
  if (FCaretShown && flash > 0) {
    FCaretTimer.start(flash / 2, [this] {
      FCaretOn = !FCaretOn;
      const QRect r = CaretRect();
      if (!r.isEmpty()) update(r.adjusted(-1, -1, 1, 1));
    });
  } else {
    FCaretTimer.stop();
  }
  const QRect r = CaretRect();
  if (!r.isEmpty()) update(r.adjusted(-1, -1, 1, 1));
}

void TCustomRichVistaEdit::UpdateCaret() {
  // The old place and the new one both repaint; the caret shows at once
  // after a move, as a typing person expects.
  if (FLastCaret.isValid()) update(FLastCaret.adjusted(-1, -1, 1, 1));
  if (!hasFocus()) return;
  FCaretShown = true;
  FCaretOn = true;
  if (FCaretTimer.active()) RestartCaretBlink();
  const QRect r = CaretRect();
  if (!r.isEmpty()) update(r.adjusted(-1, -1, 1, 1));
  FLastCaret = r;
  updateMicroFocus();
}

void TCustomRichVistaEdit::HideCaret() {
  FCaretTimer.stop();
  FCaretShown = false;
  FCaretOn = false;
  if (FLastCaret.isValid()) update(FLastCaret.adjusted(-1, -1, 1, 1));
  FLastCaret = QRect();
}

void TCustomRichVistaEdit::paintEvent(QPaintEvent *Event) {
  TCustomRichVista::paintEvent(Event);
  if (!Style) return;
  try {
    {
      // The resizer's handles and frame, and the line of a table border
      // being dragged, are overlay state over the document.
      QtCanvas canvas(this);
      EditData()->PaintResizer(canvas);
      EditData()->PaintDragLine(canvas);
    }
    QPainter p(this);
    const QRect caret = CaretRect();
    if (!FPreedit.isEmpty() && !caret.isEmpty()) PaintPreedit(p, caret);
    else if (FCaretOn && !caret.isEmpty()) p.fillRect(QRect(caret.left(), caret.top(), 1, caret.height()), Qt::black);
    FLastCaret = caret;
    PaintDropCaret(p);
  } catch (...) {
    LogCaughtException("painting the caret");
  }
}

// ---------------------------------------------------------- item resizer

void TCustomRichVistaEdit::mousePressEvent(QMouseEvent *Event) {
  if (Style && Event->button() == Qt::LeftButton) {
    TRVEditRVData *d = EditData();
    const QPoint p = Event->position().toPoint();
    try {
      if (d->ResizerMouseDown(RVSatAdd(p.x(), d->GetHOffs()), RVSatAdd(p.y(), d->GetVOffs()))) return;
    } catch (...) {
      LogCaughtException("resizer press");
      return;
    }
  }
  TCustomRichVista::mousePressEvent(Event);
}

void TCustomRichVistaEdit::mouseMoveEvent(QMouseEvent *Event) {
  if (!Style) return TCustomRichVista::mouseMoveEvent(Event);
  TRVEditRVData *d = EditData();
  const QPoint p = Event->position().toPoint();
  const int x = RVSatAdd(p.x(), d->GetHOffs()), y = RVSatAdd(p.y(), d->GetVOffs());
  const bool shift = Event->modifiers() & Qt::ShiftModifier, ctrl = Event->modifiers() & Qt::ControlModifier;
  try {
    if (d->ResizerMouseMove(x, y, shift, ctrl)) return;
  } catch (...) {
    LogCaughtException("resizer move");
    return;
  }
  TCustomRichVista::mouseMoveEvent(Event);
  TCursor cursor = crDefault;
  if (d->ResizerCursorAt(x, y, cursor)) SetControlCursor(cursor);
}

void TCustomRichVistaEdit::mouseReleaseEvent(QMouseEvent *Event) {
  if (Style && Event->button() == Qt::LeftButton) {
    TRVEditRVData *d = EditData();
    const QPoint p = Event->position().toPoint();
    const bool shift = Event->modifiers() & Qt::ShiftModifier, ctrl = Event->modifiers() & Qt::ControlModifier;
    try {
      if (d->ResizerMouseUp(RVSatAdd(p.x(), d->GetHOffs()), RVSatAdd(p.y(), d->GetVOffs()), shift, ctrl)) return;
    } catch (...) {
      LogCaughtException("resizer release");
      return;
    }
  }
  TCustomRichVista::mouseReleaseEvent(Event);
}

} // namespace kc
