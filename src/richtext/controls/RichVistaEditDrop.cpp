// Drops into the editor: the drop caret that follows the pointer, the
// format test, the drop itself, insertion by format (URLs and files
// included), and drags of the editor's own selection, which may move it.
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <algorithm>

#include "platform/Canvas.h"
#include "platform/CodePage.h"
#include "platform/DataObject.h"
#include "platform/Log.h"
#include "richtext/controls/RVDropTarget.h"
#include "richtext/controls/RichVistaEdit.h"
#include "richtext/document/RVUni.h"
#include "richtext/tables/RVTable.h"

namespace kc {

namespace {

// Pointer this close to the top or bottom edge scrolls the editor.
constexpr int kDropScrollBorder = 20;
constexpr int kDropScrollFirstDelayMs = 300;

// An item position counted from the end of the document: it survives
// edits before it, as a position counted from the start survives edits
// after it.
struct TPosFromEnd {
  int Items = 0, Offs = 0;
};

TPosFromEnd FromEnd(const TCustomRVData &D, int ItemNo, int Offs) {
  return {D.GetItemCount() - ItemNo, D.GetItemEndOffset(ItemNo) - Offs};
}

void FromEndBack(const TCustomRVData &D, TPosFromEnd P, int &ItemNo, int &Offs) {
  ItemNo = std::clamp(D.GetItemCount() - P.Items, 0, std::max(0, D.GetItemCount() - 1));
  Offs = std::clamp(D.GetItemEndOffset(ItemNo) - P.Offs, D.GetOffsBeforeItem(ItemNo), D.GetItemEndOffset(ItemNo));
}

bool Before(int ItemA, int OffsA, int ItemB, int OffsB) { return ItemA < ItemB || (ItemA == ItemB && OffsA <= OffsB); }

// A drop of the editor's own drag: the format it asks for, and what it
// moves (selected cells or the selection), to go once the copy is in.
struct TOwnDrop {
  unsigned Format = 0;
  TRVTableItemInfo *MovedCells = nullptr;
  bool MoveSelection = false;
  // The dragged selection, also counted from the document's end.
  int Sa = -1, Sao = -1, Sb = -1, Sbo = -1;
  TPosFromEnd SaEnd, SbEnd;
};

TOwnDrop OwnDropOf(TRVEditRVData &D, const QMimeData &Data, unsigned PreferredFormat, bool Move) {
  TOwnDrop own;
  own.Format = PreferredFormat;
  if (own.Format != 0 && !DataObject(&Data).hasFormat(own.Format)) own.Format = 0;
  if (!Move) return own;
  if (D.SelectionExists()) {
    D.GetSelectionBounds(own.Sa, own.Sao, own.Sb, own.Sbo, true);
    own.SaEnd = FromEnd(D, own.Sa, own.Sao);
    own.SbEnd = FromEnd(D, own.Sb, own.Sbo);
    own.MoveSelection = true;
  } else {
    // Selected cells moved: their contents go once the table of them is
    // in, in the same step.
    own.MovedCells = dynamic_cast<TRVTableItemInfo *>(D.GetPartialSelectedItem());
    if (own.MovedCells && !own.MovedCells->HasCellSelection()) own.MovedCells = nullptr;
  }
  return own;
}

// The moved cells emptied; false when they could not be (a copy, then).
bool ClearMovedCells(TRVTableItemInfo &Cells) {
  if (Cells.GetMyItemNo() < 0 || !Cells.HasCellSelection() || !Cells.CanDeleteSelectedCellsContents()) return false;
  Cells.DeleteSelectedCellsContents();
  return true;
}

// The dragged selection deleted once the data is in at Item, Offs; false
// when the editor refused (the text stays, and a copy went in).
bool RemoveMovedSelection(TCustomRichVistaEdit &E, TRVEditRVData &D, TOwnDrop Own, int Item, int Offs) {
  // Counted from the side the insertion did not touch, both places are
  // still good.
  const bool sourceFirst = Before(Own.Sb, Own.Sbo, Item, Offs);
  int ci = -1, co = -1;
  D.GetCaretItemPos(ci, co);
  const TPosFromEnd caretEnd = FromEnd(D, ci, co);
  if (!sourceFirst) {
    FromEndBack(D, Own.SaEnd, Own.Sa, Own.Sao);
    FromEndBack(D, Own.SbEnd, Own.Sb, Own.Sbo);
  }
  D.SetSelectionBounds(Own.Sa, Own.Sao, Own.Sb, Own.Sbo);
  E.DeleteSelection();
  if (D.SelectionExists()) {
    D.SetSelectionBounds(ci, co, ci, co);
    return false;
  }
  if (sourceFirst) FromEndBack(D, caretEnd, ci, co);
  D.SetCaretItemPos(ci, co, false);
  return true;
}

// The drop caret's rectangle in document coordinates: a thin bar at the
// place, as high as the piece it stands in.
QRect DropCaretDocRect(TCustomRVFormattedData &D, int ItemNo, int Offs) {
  int line = -1, offs = 0;
  D.ItemPosToDrawPos(ItemNo, Offs, line, offs);
  if (line < 0 || line >= D.DrawLines.Count()) return {};
  const TRVDrawLineInfo *dl = D.DrawLines.Items(line);
  int x = dl->Left;
  if (!D.IsTextItem(dl->ItemNo)) {
    if (offs >= 1) x += dl->Width;
  } else if (offs > dl->Length) {
    x += dl->Width;
  } else if (offs > 1) {
    TCanvas *canvas = D.GetCanvas();
    TRVStyle *style = D.GetRVStyle();
    if (canvas && style) {
      const uint8_t opt = D.GetItem(dl->ItemNo)->IsUnicode() ? rvuniUnicodeBit : 0;
      const std::string piece = CopyChars(D.GetItemTextRaw(dl->ItemNo), dl->Offs, dl->Length, opt);
      style->ApplyStyle(*canvas, D.GetActualStyle(D.GetItem(dl->ItemNo)), D.GetItemBiDiMode(dl->ItemNo));
      std::vector<int> ext;
      int fit = 0;
      GetTextFit(*canvas, piece, INT32_MAX / 4, opt, &ext, fit);
      if (size_t(offs - 2) < ext.size()) x += dl->ExtraSpaceBefore + ext[size_t(offs - 2)];
    }
  }
  return QRect(x, dl->Top, 2, std::max(1, dl->Height));
}

} // namespace

// ------------------------------------------------------------ drop caret

bool TCustomRichVistaEdit::GetDropCaret(int &ItemNo, int &Offs) const {
  ItemNo = Offs = -1;
  if (!FDropCaret || FDropCaret->ItemNo < 0) return false;
  ItemNo = FDropCaret->ItemNo;
  Offs = FDropCaret->Offs;
  return true;
}

QRect TCustomRichVistaEdit::DropCaretRect() const {
  if (!FDropCaret || FDropCaret->Rect.isEmpty()) return {};
  return FDropCaret->Rect.translated(-RVData()->GetHOffs(), -RVData()->GetVOffs());
}

void TCustomRichVistaEdit::PaintDropCaret(QPainter &Painter) {
  const QRect r = DropCaretRect();
  if (r.isEmpty()) return;
  // Drawn over the text as an inversion, so that it shows on any colour.
  Painter.save();
  Painter.setCompositionMode(QPainter::CompositionMode_Difference);
  Painter.fillRect(r, Qt::white);
  Painter.restore();
}

void TCustomRichVistaEdit::HideDropCaret() {
  if (!FDropCaret) return;
  if (const QRect r = DropCaretRect(); !r.isEmpty()) update(r.adjusted(-1, -1, 1, 1));
  FDropCaret->Rect = QRect();
}

void TCustomRichVistaEdit::ReleaseDropCaret() {
  if (!FDropCaret) return;
  if (--FDropCaret->UseCount > 0) return;
  HideDropCaret();
  FDropCaret.reset();
}

// ------------------------------------------------------- the target side

bool TCustomRichVistaEdit::OleDragEnter(const QMimeData &Data) {
  if (!Style || (GetReadOnly() && !(Flags & rvflDropIntoReadOnly))) return false;
  const DataObject data(&Data);
  if (ChooseDropFormat(HasFormatOf(data), AcceptDragDropFormats, 0, IsCurrentStyleUnicode(*this)) == 0) return false;
  // An editor that was never focused may hold nothing yet, not even the
  // empty line a drop can go into.
  TRVEditRVData *d = EditData();
  d->EnsureNotEmpty();
  if (d->GetItemCount() > 0 && d->DrawLines.Count() == 0) ReformatDocument();
  if (!FDropCaret) FDropCaret = std::make_unique<TRVDropCaret>();
  ++FDropCaret->UseCount;
  FDropScrollTimer.start(kDropScrollFirstDelayMs, [this] { DropScrollTick(); });
  UpdateCaret();
  return true;
}

bool TCustomRichVistaEdit::OleDragOver(int X, int Y) {
  if (!FDropCaret) return false;
  if (Y < kDropScrollBorder) FDropVScroll = -1;
  else if (Y > ClientHeight() - kDropScrollBorder) FDropVScroll = 1;
  else FDropVScroll = 0;
  FDropPoint = QPoint(X, Y);
  TRVEditRVData *d = EditData();
  HideDropCaret();
  int line = -1, offs = -1;
  d->HitTestDrawLine(X + d->GetHOffs(), Y + d->GetVOffs(), false, line, offs);
  if (line < 0) {
    FDropCaret->ItemNo = FDropCaret->Offs = -1;
    return false;
  }
  int item = -1, itemOffs = -1;
  d->DrawPosToItemPos(line, offs, item, itemOffs);
  FDropCaret->RVData = d;
  FDropCaret->ItemNo = item;
  FDropCaret->Offs = itemOffs;
  FDropCaret->Rect = DropCaretDocRect(*d, item, itemOffs);
  if (!FDropCaret->Rect.isEmpty()) {
    const QRect r = FDropCaret->Rect;
    d->ScrollRectIntoView(r.left(), r.top(), r.height(), r.width());
    update(DropCaretRect().adjusted(-1, -1, 1, 1));
  }
  return d->CanDropAt(item, itemOffs);
}

void TCustomRichVistaEdit::OleDragLeave() {
  FDropScrollTimer.stop();
  FDropVScroll = 0;
  HideDropCaret();
  ReleaseDropCaret();
  if (!FDropCaret) UpdateCaret();
}

void TCustomRichVistaEdit::DropScrollTick() {
  if (!FDropCaret) {
    FDropScrollTimer.stop();
    return;
  }
  if (FDropVScroll == 0) return;
  SetVScrollPos(VScrollPos() + FDropVScroll, true);
  OleDragOver(FDropPoint.x(), FDropPoint.y());
}

int TCustomRichVistaEdit::OleDrop(const QMimeData &Data, bool Move) {
  TCustomRichVistaEdit *outer = GetOutermostEditor();
  bool locked = false;
  int32_t groupModeBefore = 0;
  int effect = 0;
  FDroppedFormat = 0;
  try {
    FDropScrollTimer.stop();
    FDropVScroll = 0;
    HideDropCaret();
    TRVEditRVData *d = EditData();
    int item = -1, offs = -1;
    const bool placed = GetDropCaret(item, offs) && FDropCaret->RVData == d && item < d->GetItemCount();
    if (placed && d->SelectionExists() && d->IsPosInSelection(item, offs)) {
      // Dropped onto the selection itself: only the caret goes there.
      d->SetSelectionBounds(item, offs, item, offs);
      update();
    } else if (placed && d->CanDropAt(item, offs)) {
      TOwnDrop own;
      if (FDragFromHere && FDraggedData.data() == &Data) {
        own = OwnDropOf(*d, Data, PreferredDropFormat(), Move);
        if (own.MovedCells || own.MoveSelection) {
          outer->setUpdatesEnabled(false);
          locked = true;
          groupModeBefore = d->UndoList->GroupModeCount;
          BeginUndoGroup(rvutInsert);
          SetUndoGroupMode(true);
          // Whatever happens now, the end of the drag deletes nothing: the
          // selection goes below, once the data has gone in.
          FDeleteDraggedOnMove = false;
        }
      }
      d->SetSelectionBounds(item, offs, item, offs);
      ReleaseDropCaret();
      if (InsertDroppedData(Data, own.Format)) {
        effect = Move ? 2 : 1;
        if (own.MovedCells && !ClearMovedCells(*own.MovedCells)) effect = 1;
        if (own.MoveSelection && !RemoveMovedSelection(*this, *d, own, item, offs)) effect = 1;
        // Files and links dropped here are copies of what they name; a
        // move would have their owner delete them.
        if (FDroppedFormat == DataObject::cfHDrop || FDroppedFormat == CF_URL()) effect = std::min(effect, 1);
      }
    }
  } catch (...) {
    LogCaughtException("drop");
  }
  ReleaseDropCaret();
  if (locked) {
    EditData()->UndoList->GroupModeCount = groupModeBefore;
    // When nothing went in, no step is left for an undo to find.
    if (effect == 0) EditData()->UndoList->RemoveEmptyLastGroup();
    outer->setUpdatesEnabled(true);
  }
  TRVEditRVData *od = outer->EditData();
  if (outer->Style && od->DrawLines.Count() > 0 && od->CaretDrawItemNo >= 0) od->PlaceCaret(false, false, false, false);
  outer->UpdateCaret();
  outer->update();
  return effect;
}

unsigned TCustomRichVistaEdit::PreferredDropFormat() const {
  return kc::PreferredDropFormat(AcceptDragDropFormats, RVData()->GetSelectedImage() != nullptr);
}

// --------------------------------------------------- insertion by format

bool TCustomRichVistaEdit::InsertDroppedData(const QMimeData &Data, unsigned Format) {
  const DataObject data(&Data);
  for (unsigned f : DropFormatsToTry(Format, IsCurrentStyleUnicode(*this))) {
    if (!IsDropFormatAccepted(f, AcceptDragDropFormats) || !data.hasFormat(f)) continue;
    if (InsertDroppedFormat(data, f)) {
      FDroppedFormat = f;
      return true;
    }
  }
  return false;
}

bool TCustomRichVistaEdit::InsertDroppedFormat(const DataObject &Data, unsigned Format) {
  if (Format == CF_RVF()) return InsertRVFBlock(Data.bytes(Format));
  if (Format == CF_RTF()) return InsertRTFWithBase(Data.bytes(Format), std::string());
  if (Format == CF_URL()) return InsertDroppedUrl(Data);
  switch (Format) {
  case DataObject::cfUnicodeText: return InsertTextOf(Data, true);
  case DataObject::cfText: return InsertTextOf(Data, false);
  case DataObject::cfBitmap:
  case DataObject::cfDib: return InsertBitmapOf(Data, false);
  case DataObject::cfHDrop: return InsertDroppedFiles(Data);
  default: return false;
  }
}

bool TCustomRichVistaEdit::InsertDroppedUrl(const DataObject &Data) {
  const std::string url = Data.bytes(CF_URL());
  if (url.empty()) return false;
  std::string name;
  const bool described = Data.fileGroupDescriptorName(name);
  const std::string title = DroppedUrlTitle(url, described ? &name : nullptr);
  if (!OnReadHyperlink) {
    return RunInsertion([&](TRVEditRVData &d) {
      d.InsertTextA(url, false);
      return true;
    });
  }
  TRVEditRVData *d = InnermostEditor()->EditData();
  int style = d->CurTextStyleNo;
  TRVTag tag;
  std::string text = title;
  OnReadHyperlink(GetOutermostEditor(), url, 4, style, tag, text);
  if (style < 0 || !Style || style >= Style->TextStyles().Count()) style = d->CurTextStyleNo;
  if (text.empty()) return false;
  d->CurTextStyleNo = style;
  return InsertStringTag(utf8ToAnsi(text, d->GetStyleCodePage(style)), tag);
}

bool TCustomRichVistaEdit::InsertDroppedFiles(const DataObject &Data) {
  const std::vector<std::string> files = Data.files();
  if (files.empty()) return false;
  TRVDropFileAction action = rvdfNone;
  bool doDefault = true;
  if (OnDropFiles) OnDropFiles(GetOutermostEditor(), files, action, doDefault);
  if (!doDefault) return action != rvdfNone;
  bool any = false;
  for (const std::string &file : files) {
    bool done = false;
    if (std::unique_ptr<TGraphic> picture = LoadPictureFile(file)) {
      done = InsertPicture("", std::move(picture), rvvaBaseline);
    } else {
      switch (DroppedFileKind(file)) {
      case TRVDroppedFileKind::RTF: done = InsertRTFFromFileEd(file); break;
      case TRVDroppedFileKind::RVF: done = InsertRVFFromFileEd(file); break;
      case TRVDroppedFileKind::Text: done = InsertTextFromFile(file); break;
      case TRVDroppedFileKind::None: break;
      }
    }
    any = any || done;
  }
  return any;
}

// ------------------------------------------------------------ Qt events

void TCustomRichVistaEdit::dragEnterEvent(QDragEnterEvent *Event) {
  try {
    if (!Event->mimeData() || !OleDragEnter(*Event->mimeData())) {
      Event->ignore();
      return;
    }
    OleDragOver(Event->position().toPoint().x(), Event->position().toPoint().y());
    Event->setDropAction(DropEffectFor(*Event));
    Event->accept();
  } catch (...) {
    LogCaughtException("drag enter");
    Event->ignore();
  }
}

void TCustomRichVistaEdit::dragMoveEvent(QDragMoveEvent *Event) {
  try {
    const QPoint p = Event->position().toPoint();
    if (!OleDragOver(p.x(), p.y())) {
      Event->ignore();
      return;
    }
    Event->setDropAction(DropEffectFor(*Event));
    Event->accept();
  } catch (...) {
    LogCaughtException("drag over");
    Event->ignore();
  }
}

void TCustomRichVistaEdit::dragLeaveEvent(QDragLeaveEvent *) {
  try {
    OleDragLeave();
  } catch (...) {
    LogCaughtException("drag leave");
  }
}

void TCustomRichVistaEdit::dropEvent(QDropEvent *Event) {
  const QMimeData *data = Event->mimeData();
  if (!data) {
    OleDragLeave();
    Event->ignore();
    return;
  }
  int effect = 0;
  try {
    const QPoint p = Event->position().toPoint();
    OleDragOver(p.x(), p.y());
    effect = OleDrop(*data, Event->dropAction() == Qt::MoveAction);
  } catch (...) {
    LogCaughtException("drop");
  }
  if (effect == 0) {
    Event->ignore();
    return;
  }
  Event->setDropAction(ReportedDropEffect(effect == 2 ? Qt::MoveAction : Qt::CopyAction, Event->possibleActions()));
  Event->accept();
  const QPoint p = Event->position().toPoint();
  try {
    DragDrop(Event->source(), p.x(), p.y());
  } catch (...) {
    LogCaughtException("drop event");
  }
}

Qt::DropAction TCustomRichVistaEdit::DropEffectFor(const QDropEvent &Event) const {
  // A cell's editor belongs to the box around it: a drag from the box into
  // a cell moves too.
  const TCustomRichVistaEdit *outer = const_cast<TCustomRichVistaEdit *>(this)->GetOutermostEditor();
  const bool own = (FDragFromHere && FDraggedData.data() == Event.mimeData()) ||
                   (outer && outer->FDragFromHere && outer->FDraggedData.data() == Event.mimeData());
  return ChooseDropEffect(Event.modifiers() & Qt::ControlModifier, Event.possibleActions(), own);
}

// ------------------------------------------------------ the source side

Qt::DropActions TCustomRichVistaEdit::StartingDrag(QDrag &Drag) {
  FDragFromHere = true;
  FDraggedData = Drag.mimeData();
  TRVEditRVData *d = EditData();
  const auto *cells = dynamic_cast<TRVTableItemInfo *>(d->GetPartialSelectedItem());
  const bool deletable = d->SelectionExists()
                             ? d->CanDeleteSelection()
                             : cells && cells->HasCellSelection() && cells->CanDeleteSelectedCellsContents();
  FDeleteDraggedOnMove = (Flags & rvflRoot) && !GetReadOnly() && deletable;
  return FDeleteDraggedOnMove ? Qt::CopyAction | Qt::MoveAction : Qt::CopyAction;
}

void TCustomRichVistaEdit::DragEnded(Qt::DropAction Result) {
  const bool deleteHere = Result == Qt::MoveAction && FDeleteDraggedOnMove;
  FDragFromHere = FDeleteDraggedOnMove = false;
  FDraggedData = nullptr;
  if (deleteHere && !EditData()->DeleteSelectedCells()) DeleteSelection();
}

} // namespace kc
