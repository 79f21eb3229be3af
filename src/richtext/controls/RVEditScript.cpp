// The command interpreter of the headless editor.
#include "richtext/controls/RVEditScript.h"

#include <QString>
#include <cstdlib>

#include "platform/Files.h"
#include "platform/ScopeGuard.h"
#include "richtext/controls/RVRTFImport.h"
#include "richtext/controls/RVTInplace.h"
#include "richtext/document/RVItem.h"
#include "richtext/document/RVUni.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/tables/RVTable.h"

namespace kc {

namespace {

// A count argument: 1 when absent; false for anything but a number from 0
// to a million.
bool ParseCount(const std::string &Arg, int &Count, bool Required) {
  if (Arg.empty()) {
    Count = 1;
    return !Required;
  }
  char *end = nullptr;
  const long v = std::strtol(Arg.c_str(), &end, 10);
  if (*end != '\0' || v < 0 || v > 1000000) return false;
  Count = int(v);
  return true;
}

// The caret keys as commands: the key, Shift and Ctrl held, and whether a
// count must be given.
struct TMoveCommand {
  const char *Name;
  TRVEditScript::TCaretKey Key;
  bool Shift, Ctrl, CountRequired;
};
constexpr TMoveCommand kMoveCommands[] = {
    {"left", TRVEditScript::ckLeft, false, false, false},
    {"right", TRVEditScript::ckRight, false, false, false},
    {"up", TRVEditScript::ckUp, false, false, false},
    {"down", TRVEditScript::ckDown, false, false, false},
    {"home", TRVEditScript::ckHome, false, false, false},
    {"end", TRVEditScript::ckEnd, false, false, false},
    {"ctrl-left", TRVEditScript::ckLeft, false, true, false},
    {"ctrl-right", TRVEditScript::ckRight, false, true, false},
    {"doc-home", TRVEditScript::ckHome, false, true, false},
    {"doc-end", TRVEditScript::ckEnd, false, true, false},
    {"pageup", TRVEditScript::ckPageUp, false, false, false},
    {"pagedown", TRVEditScript::ckPageDown, false, false, false},
    {"select-left", TRVEditScript::ckLeft, true, false, true},
    {"select-right", TRVEditScript::ckRight, true, false, true},
    {"select-up", TRVEditScript::ckUp, true, false, false},
    {"select-down", TRVEditScript::ckDown, true, false, false},
};

const TMoveCommand *FindMove(const std::string &Name) {
  for (const TMoveCommand &m : kMoveCommands)
    if (Name == m.Name) return &m;
  return nullptr;
}

std::string ItemTextUtf8(const TCustomRVData &d, int ItemNo) {
  std::string raw = d.GetItemTextRaw(ItemNo);
  if (!d.GetItem(ItemNo)->IsUnicode()) raw = AnsiToUnicode(d.GetStyleCodePage(d.GetItemStyle(ItemNo)), raw);
  const std::u16string w = RawToWideString(raw);
  return QString::fromUtf16(w.data(), qsizetype(w.size())).toStdString();
}

// The words of an argument: integers where numbers are wanted.
std::vector<std::string> Words(const std::string &Arg) {
  std::vector<std::string> w;
  size_t i = 0;
  while (i < Arg.size()) {
    while (i < Arg.size() && Arg[i] == ' ') ++i;
    const size_t start = i;
    while (i < Arg.size() && Arg[i] != ' ') ++i;
    if (i > start) w.push_back(Arg.substr(start, i - start));
  }
  return w;
}

bool ParseInt(const std::string &S, int &V) {
  if (S.empty()) return false;
  char *end = nullptr;
  const long long v = std::strtoll(S.c_str(), &end, 0);
  if (*end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
  V = int(v);
  return true;
}

// A cell's text: its paragraphs joined by \n, a non-text item as U+FFFC.
std::string CellText(const TCustomRVData &Cell) {
  std::string out;
  for (int i = 0; i < Cell.GetItemCount(); ++i) {
    if (i > 0 && Cell.GetItem(i)->IsFromNewLine()) out += "\\n";
    if (Cell.IsTextItem(i)) out += ItemTextUtf8(Cell, i);
    else if (Cell.GetItemStyle(i) != rvsListMarker) out += "\xEF\xBF\xBC";
  }
  return out;
}

std::string TableLines(const TRVTableItemInfo &T) {
  std::string out = "table " + std::to_string(T.RowCount()) + "x" + std::to_string(T.ColCount());
  for (int r = 0; r < T.RowCount(); ++r)
    for (int c = 0; c < T.ColCount(); ++c)
      if (const TRVTableCellData *cell = T.Cells(r, c))
        out += "\n  cell " + std::to_string(r) + ' ' + std::to_string(c) + ' ' + std::to_string(cell->ColSpan) + ' ' +
               std::to_string(cell->RowSpan) + ": " +
               CellText(*const_cast<TRVTableCellData *>(cell)->GetEditorRVData());
  return out;
}

// ------------------------------------------------------- table commands

// The table commands and the number of integer arguments each takes (-1:
// others).
constexpr int kNotATableCommand = -2;
int TableCommandInts(const std::string &Cmd) {
  static const struct {
    const char *Name;
    int Ints;
  } kCommands[] = {{"table", 2},       {"select-cells", 4}, {"insert-rows", 2}, {"insert-cols", 2},
                   {"delete-rows", 2}, {"delete-cols", 2},  {"merge", 4},       {"clear-cells", 0},
                   {"table-prop", -1}, {"cell-prop", -1},   {"save", -1}};
  for (const auto &c : kCommands)
    if (Cmd == c.Name) return c.Ints;
  return kNotATableCommand;
}

// Each of these returns what went wrong, empty when nothing did.

// Count numbers in W into V (none wanted when Count < 0).
std::string ParseInts(const std::string &Cmd, const std::vector<std::string> &W, int Count, std::vector<int> &V) {
  if (Count < 0) return {};
  if (int(W.size()) != Count) return Cmd + ": " + std::to_string(Count) + " numbers wanted";
  for (const std::string &s : W) {
    int x = 0;
    if (!ParseInt(s, x)) return "bad number \"" + s + "\"";
    V.push_back(x);
  }
  return {};
}

// The whole document as binary RVF, whatever its own options say.
std::string SaveBinaryRvf(TRVEditRVData &Data, const std::string &File) {
  std::string stream;
  {
    const TRVFOptions kept = Data.GetRVFOptions();
    const ScopeGuard restore([&] { Data.SetRVFOptions(kept); });
    TRVFOptions o = kept;
    o.Include(rvfoSaveBinary);
    Data.SetRVFOptions(o);
    SaveRvfToStream(Data, stream, false);
  }
  std::string why;
  if (File.empty() || !WriteFileAtomically(File, stream, &why)) return "cannot write \"" + File + "\": " + why;
  return {};
}

std::string InsertTable(TRVEditRVData &Doc, int Rows, int Cols) {
  if (Rows < 1 || Cols < 1 || int64_t(Rows) * Cols > 100000) return "bad table size";
  Doc.InsertItemAtCaret(std::string(), std::make_unique<TRVTableItemInfo>(Rows, Cols, &Doc), false);
  return {};
}

// table-prop NAME VALUE, cell-prop R C NAME VALUE
std::string SetProperty(TRVTableItemInfo &T, const std::string &Cmd, const std::vector<std::string> &W) {
  const bool cell = Cmd == "cell-prop";
  int r = 0, c = 0, value = 0;
  if (W.size() != (cell ? 4u : 2u) || (cell && (!ParseInt(W[0], r) || !ParseInt(W[1], c))) ||
      !ParseInt(W.back(), value))
    return Cmd + (cell ? ": R C NAME VALUE wanted" : ": NAME VALUE wanted");
  const std::string &name = W[W.size() - 2];
  int old = 0;
  if (cell && !T.Cells(r, c)) return "bad cell";
  const bool known = cell ? T.Cells(r, c)->GetIntPropertyByName(name, old) : T.GetIntPropertyByName(name, old);
  if (!known) return "unknown property \"" + name + "\"";
  if (cell) T.SetCellPropertyUndoable(r, c, name, value);
  else T.SetTablePropertyUndoable(name, value);
  return {};
}

// A command on the current table T, its numbers in V, its words in W.
std::string RunOnTable(TRVTableItemInfo &T, const std::string &Cmd, const std::vector<int> &V,
                       const std::vector<std::string> &W) {
  try {
    if (Cmd == "select-cells") {
      int mr = 0, mc = 0;
      if (!T.Rows().GetMainCell(V[0], V[1], mr, mc) || !T.Rows().GetMainCell(V[2], V[3], mr, mc)) return "bad cell";
      T.Select(V[0], V[1], V[3] - V[1], V[2] - V[0]);
    } else if (Cmd == "insert-rows") {
      T.InsertRows(V[0], V[1], -1, false);
    } else if (Cmd == "insert-cols") {
      T.InsertCols(V[0], V[1], -1, false);
    } else if (Cmd == "delete-rows") {
      T.DeleteRows(V[0], V[1], true);
    } else if (Cmd == "delete-cols") {
      T.DeleteCols(V[0], V[1], true);
    } else if (Cmd == "merge") {
      T.MergeCells(V[0], V[1], V[2], V[3], false);
    } else if (Cmd == "clear-cells") {
      T.DeleteSelectedCellsContents();
    } else {
      return SetProperty(T, Cmd, W);
    }
  } catch (const ERichVistaError &e) {
    return e.what();
  }
  return {};
}

} // namespace

TRVTableItemInfo *TRVEditScript::CurrentTable() const {
  // The caret in a cell: that cell's table.
  if (auto *cell = dynamic_cast<TRVTableInplaceRVData *>(&Doc()); cell && cell->Table) return cell->Table;
  TRVEditRVData &d = Doc();
  int item = -1, offs = 0;
  if (!d.GetCaretItemPos(item, offs)) item = 0;
  const int n = d.GetItemCount();
  for (int i = std::max(0, item); i < n; ++i)
    if (auto *t = dynamic_cast<TRVTableItemInfo *>(d.GetItem(i))) return t;
  for (int i = std::min(item, n) - 1; i >= 0; --i)
    if (auto *t = dynamic_cast<TRVTableItemInfo *>(d.GetItem(i))) return t;
  return nullptr;
}

TRVEditRVData &TRVEditScript::Doc() const {
  TRVEditRVData *d = &FData;
  int item = -1;
  // Nesting is bounded as tables in documents are.
  for (int depth = 0; depth < 64; ++depth) {
    // Only a cell editor takes the commands (other nested documents are
    // reached through their own scripts).
    auto *inner = dynamic_cast<TRVTableInplaceRVData *>(d->GetNestedEditData(item));
    if (!inner || inner == d) break;
    d = inner;
  }
  return *d;
}

bool TRVEditScript::RunCellCommand(const std::string &Cmd, const std::string &Arg, bool &Ok, std::string &Error) {
  if (Cmd != "cell" && Cmd != "tab" && Cmd != "shift-tab") return false;
  Ok = false;
  if (Cmd == "cell") {
    const std::vector<std::string> w = Words(Arg);
    int r = 0, c = 0;
    if (w.size() != 2 || !ParseInt(w[0], r) || !ParseInt(w[1], c)) {
      Error = "cell: R C wanted";
      return true;
    }
    TRVTableItemInfo *t = CurrentTable();
    if (!t) {
      Error = "no table";
      return true;
    }
    if (r < 0 || c < 0 || r >= t->RowCount() || c >= t->ColCount()) {
      Error = "bad cell";
      return true;
    }
    if (!t->OpenCellEditor(-1, r, c, TRVTableItemInfo::rvceCaretAtStart)) {
      Error = "cannot edit cell " + std::to_string(r) + ' ' + std::to_string(c);
      return true;
    }
  } else if (auto *cell = dynamic_cast<TRVTableInplaceRVData *>(&Doc()); cell && cell->Table) {
    // Outside a cell Tab is the window's (it moves the focus): nothing here.
    cell->Table->CellEditorCaretGetOut(Cmd == "tab" ? TRVTableItemInfo::rvcdNext : TRVTableItemInfo::rvcdPrev);
  }
  Ok = true;
  return true;
}

bool TRVEditScript::RunTableCommand(const std::string &Cmd, const std::string &Arg, bool &Ok, std::string &Error) {
  const int ints = TableCommandInts(Cmd);
  if (ints == kNotATableCommand) return false;
  const std::vector<std::string> w = Words(Arg);
  std::vector<int> v;
  std::string why = ParseInts(Cmd, w, ints, v);
  if (why.empty()) {
    if (Cmd == "save") why = SaveBinaryRvf(FData, Arg);
    else if (Cmd == "table") why = InsertTable(Doc(), v[0], v[1]);
    else if (TRVTableItemInfo *t = CurrentTable()) why = RunOnTable(*t, Cmd, v, w);
    else why = "no table";
  }
  Ok = why.empty();
  if (!Ok) Error = why;
  return true;
}

void TRVEditScript::Backspace(bool Ctrl) {
  if (Doc().SelectionExists()) Doc().DeleteSelection();
  else Doc().OnBackSpacePressed(Ctrl, false, false);
}

void TRVEditScript::Delete() {
  if (Doc().SelectionExists()) Doc().DeleteSelection();
  else Doc().OnDelPressed(false, false);
}

void TRVEditScript::Enter(bool Shift) {
  if (Doc().SelectionExists() && !Doc().DeleteSelection()) return;
  Doc().OnEnterPress(Shift);
}

bool TRVEditScript::Move(TCaretKey Key, bool Shift, bool Ctrl) {
  // As the editor control's keys do: Shift grows the selection from the
  // caret, a move without it drops the selection first.
  if (Shift) Doc().StartShiftSelection();
  else if (Doc().SelectionExists()) Doc().ClearSelection(false);
  bool edge = false;
  switch (Key) {
  case ckLeft: edge = Doc().MoveCaretLeft(Shift, Ctrl); break;
  case ckRight: edge = Doc().MoveCaretRight(Shift, Ctrl); break;
  case ckUp: edge = Doc().MoveCaretUp(Shift, Ctrl); break;
  case ckDown: edge = Doc().MoveCaretDown(Shift, Ctrl); break;
  case ckHome: edge = Doc().MoveCaretHome(Shift, Ctrl); break;
  case ckEnd: edge = Doc().MoveCaretEnd(Shift, Ctrl); break;
  case ckPageUp: Doc().MoveCaretPageUp(); break;
  case ckPageDown: Doc().MoveCaretPageDown(); break;
  }
  if (Shift) Doc().ExtendShiftSelection();
  // The caret leaving a cell goes on in the table (Ctrl+Home and Ctrl+End
  // to the holding document's ends).
  auto *cell = dynamic_cast<TRVTableInplaceRVData *>(&Doc());
  if (edge && cell && cell->Table && !Shift) {
    static constexpr TRVGetOutDirection kOut[] = {rvdLeft, rvdRight, rvdUp, rvdDown, rvdTop, rvdBottom};
    if (Key <= ckEnd) cell->Table->CellEditorCaretGetOut(kOut[Key]);
  }
  return edge;
}

void TRVEditScript::UndoRedo(bool Redo) {
  // A cell editor takes back its own steps; with none left, the document
  // around it takes its next one.
  TRVEditRVData *d = &Doc();
  while (d != &FData) {
    TRVUndoList &list = Redo ? *d->RedoList : *d->UndoList;
    list.RemoveEmptyLastGroup();
    if (list.Count() > 0) break;
    auto *cell = dynamic_cast<TRVTableInplaceRVData *>(d);
    if (!cell || !cell->ParentData) break;
    d = cell->ParentData;
  }
  if (Redo) d->Redo();
  else d->Undo();
}

bool TRVEditScript::Run(const std::string &Line, std::string &Output, std::string &Error) {
  std::string cmd = Line, arg;
  if (!cmd.empty() && cmd.back() == '\r') cmd.pop_back();
  if (const size_t sp = cmd.find(' '); sp != std::string::npos) {
    arg = cmd.substr(sp + 1);
    cmd.resize(sp);
  }
  int n = 1;
  if (cmd == "type") {
    const QString q = QString::fromUtf8(arg.data(), qsizetype(arg.size()));
    const std::u16string w(reinterpret_cast<const char16_t *>(q.utf16()), size_t(q.size()));
    // One keystroke a character; a surrogate pair is one character.
    for (size_t i = 0; i < w.size(); ++i) {
      size_t len = 1;
      if (w[i] >= 0xD800 && w[i] <= 0xDBFF && i + 1 < w.size()) len = 2;
      Doc().InsertTypedText(std::u16string_view(w).substr(i, len));
      i += len - 1;
    }
  } else if (cmd == "enter" || cmd == "shift-enter") {
    Enter(cmd == "shift-enter");
  } else if (cmd == "backspace" || cmd == "ctrl-backspace") {
    Backspace(cmd == "ctrl-backspace");
  } else if (cmd == "delete") {
    Delete();
  } else if (const TMoveCommand *move = FindMove(cmd)) {
    if (!ParseCount(arg, n, move->CountRequired)) {
      Error = "bad count \"" + arg + "\"";
      return false;
    }
    for (int i = 0; i < n; ++i) Move(move->Key, move->Shift, move->Ctrl);
  } else if (cmd == "select-all") {
    Doc().SelectWholeDocument();
  } else if (cmd == "para") {
    const TRVStyle *st = Doc().GetRVStyle();
    if (!ParseCount(arg, n, true) || !st || n >= st->ParaStyles().Count()) {
      Error = "bad paragraph style \"" + arg + "\"";
      return false;
    }
    Doc().ApplyParaStyle(n);
  } else if (cmd == "break") {
    Doc().InsertItemAtCaret(std::string(), std::make_unique<TRVBreakItemInfo>(&Doc(), clNone, 0, 1), false);
  } else if (cmd == "undo" || cmd == "redo") {
    UndoRedo(cmd == "redo");
  } else if (cmd == "dump") {
    Output += Dump();
  } else if (cmd == "insert") {
    // Escapes: \t, \r, \n, \0 and \\.
    std::string text;
    for (size_t i = 0; i < arg.size(); ++i) {
      if (arg[i] != '\\' || i + 1 >= arg.size()) {
        text += arg[i];
        continue;
      }
      switch (arg[++i]) {
      case 't': text += '\t'; break;
      case 'r': text += '\r'; break;
      case 'n': text += '\n'; break;
      case '0': text += '\0'; break;
      case '\\': text += '\\'; break;
      default: Error = "bad escape \"\\" + std::string(1, arg[i]) + "\""; return false;
      }
    }
    const QString q = QString::fromUtf8(text.data(), qsizetype(text.size()));
    Doc().InsertTextW(std::u16string_view(reinterpret_cast<const char16_t *>(q.utf16()), size_t(q.size())), false);
  } else if (cmd == "insert-rvf" || cmd == "insert-rtf") {
    std::string data, why;
    if (!ReadWholeFile(arg, data, &why)) {
      Error = "cannot read \"" + arg + "\": " + why;
      return false;
    }
    if (cmd == "insert-rvf") {
      Doc().InsertRVFFromStreamAtCaret(data);
    } else {
      // As the editor control takes pasted and dropped RTF.
      TRVRTFReaderProperties props = EditorRTFReadProperties();
      Doc().InsertRTFFromStreamAtCaret(data, props);
    }
  } else if (bool ok = true; RunTableCommand(cmd, arg, ok, Error)) {
    if (!ok) return false;
  } else if (bool ok = true; RunCellCommand(cmd, arg, ok, Error)) {
    if (!ok) return false;
  } else if (cmd.empty()) {
  } else {
    Error = "unknown command \"" + cmd + "\"";
    return false;
  }
  return true;
}

namespace {

// The caret's paragraph line and its offset in it, counted as Dump shows
// the document.
void CaretPlace(const TRVEditRVData &D, int &CaretLine, int &CaretCol) {
  int caretItem = -1, caretOffs = 0;
  D.GetCaretItemPos(caretItem, caretOffs);
  CaretLine = CaretCol = 0;
  int line = -1, col = 0;
  for (int i = 0; i < D.GetItemCount(); ++i) {
    if (i == 0 || D.GetItem(i)->IsFromNewLine()) {
      ++line;
      col = 0;
    }
    const bool marker = D.GetItemStyle(i) == rvsListMarker;
    if (i == caretItem) {
      CaretLine = line;
      CaretCol = col + (D.IsTextItem(i) ? caretOffs - 1 : marker ? 0 : caretOffs);
    }
    if (D.IsTextItem(i)) col += D.GetItemLength(i);
    else if (!marker) ++col;
  }
}

} // namespace

std::string TRVEditScript::Dump() const {
  std::string out;
  int caretItem = -1, caretOffs = 0;
  FData.GetCaretItemPos(caretItem, caretOffs);
  int line = -1, caretLine = 0, caretCol = 0, col = 0;
  for (int i = 0; i < FData.GetItemCount(); ++i) {
    const TCustomRVItemInfo *item = FData.GetItem(i);
    if (i == 0 || item->IsFromNewLine()) {
      if (line >= 0) out += '\n';
      ++line;
      col = 0;
    }
    const bool marker = FData.GetItemStyle(i) == rvsListMarker;
    if (i == caretItem) {
      caretLine = line;
      caretCol = col + (FData.IsTextItem(i) ? caretOffs - 1 : marker ? 0 : caretOffs);
    }
    if (FData.IsTextItem(i)) {
      out += ItemTextUtf8(FData, i);
      col += FData.GetItemLength(i);
    } else if (auto *table = dynamic_cast<const TRVTableItemInfo *>(item)) {
      out += TableLines(*table);
      ++col;
    } else if (!marker) {
      out += "\xEF\xBF\xBC";
      ++col;
    }
  }
  out += '\n';
  // The caret in a cell: its place in the cell's document, and the cell.
  if (auto *cell = dynamic_cast<const TRVTableInplaceRVData *>(&Doc()); cell && cell->Table) {
    CaretPlace(*cell, caretLine, caretCol);
    const TRVCellEditor *e = cell->Table->GetCellEditor();
    out += "caret " + std::to_string(caretLine) + ' ' + std::to_string(caretCol) + " in " +
           std::to_string(e ? e->Row : -1) + ' ' + std::to_string(e ? e->Col : -1) + '\n';
    return out;
  }
  out += "caret " + std::to_string(caretLine) + ' ' + std::to_string(caretCol) + '\n';
  return out;
}

} // namespace kc
