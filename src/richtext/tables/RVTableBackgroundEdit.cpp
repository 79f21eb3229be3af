// Background pictures of the table and its cells changed as undoable
// steps, and the table's side of the editor setting its properties by
// name.
#include "richtext/document/RVClasses.h"
#include "richtext/tables/RVTable.h"
#include "richtext/tables/RVTableBackground.h"
#include "richtext/tables/RVTableRecorder.h"

namespace kc {

namespace {

// Row -1: the table's own picture.
bool SetPicture(TRVTableItemInfo &T, int Row, int Col, const TGraphic *Image) {
  TRVTableCellData *cell = Row >= 0 || Col >= 0 ? T.Cells(Row, Col) : nullptr;
  if ((Row >= 0 || Col >= 0) && !cell) throw ERichVistaError("Invalid row or column index");
  if (SameBackgroundImage(cell ? cell->GetBackgroundImage() : T.GetBackgroundImage(), Image)) return false;
  TCustomRVData *doc = (T.State & rvtsInserted) ? T.Rows().MainRVData : nullptr;
  TRVTableEditHost *host = doc ? RVTableEditHost() : nullptr;
  const bool record = host && T.CanRecordUndo();
  if (record && !host->CanChange(doc)) return false;
  // The editor of the cell keeps what was typed in it as a step before
  // this one.
  if (host) host->CloseCellEditor(T);
  const int itemNo = T.GetMyItemNo();
  const int oldWidth = host ? host->WidthBefore(doc, itemNo) : 0;
  if (record) {
    T.BeginTableUndoGroup();
    host->RecordBackgroundImage(doc, itemNo, Row, Col,
                                cell ? cell->ReleaseBackgroundImage() : T.ReleaseBackgroundImage());
  }
  if (cell) cell->SetBackgroundImage(Image);
  else T.SetBackgroundImage(Image);
  T.Changed();
  if (record) T.EndTableUndoGroup();
  if (host) host->AfterChange(doc, itemNo, oldWidth);
  return true;
}

} // namespace

bool TRVTableItemInfo::SetBackgroundImageUndoable(const TGraphic *Image) { return SetPicture(*this, -1, -1, Image); }

bool TRVTableItemInfo::SetCellBackgroundImageUndoable(int Row, int Col, const TGraphic *Image) {
  if (Row < 0 || Col < 0) throw ERichVistaError("Invalid row or column index");
  return SetPicture(*this, Row, Col, Image);
}

void TRVTableItemInfo::BeforeUndoChangeProperty() {
  FInsertedBeforeChange = (State & rvtsInserted) != 0;
  State &= ~rvtsInserted;
}

void TRVTableItemInfo::AfterUndoChangeProperty() {
  if (FInsertedBeforeChange) State |= rvtsInserted;
  FInsertedBeforeChange = false;
  Changed();
}

} // namespace kc
