#pragma once
// A headless editor driven by text commands, one a line, as the keys of the
// editor control would drive its document: typing, Enter, Backspace,
// Delete, caret moves and selections, undo and redo. The command-line tool,
// the fuzzer, the benchmark and the tests script documents with it.
#include <cstdint>
#include <string>

#include "richtext/controls/RVERVData.h"

namespace kc {

class TRVTableItemInfo;

class TRVEditScript {
public:
  explicit TRVEditScript(TRVEditRVData &Data) : FData(Data) {}

  // Runs one command; Output gets what "dump" prints. False, with Error,
  // for an unknown command or a bad argument. Commands: type TEXT (UTF-8),
  // enter, shift-enter, backspace, ctrl-backspace, delete, the caret keys
  // left, right, up, down, home, end (of the screen line), ctrl-left,
  // ctrl-right (by words), doc-home, doc-end, pageup, pagedown, select-up,
  // select-down, each with an optional count, select-left N,
  // select-right N, select-all, para N (paragraph style), break (a
  // horizontal line at the caret), undo, redo, dump; insert TEXT (UTF-8 with
  // the escapes \t, \r, \n, \0 and a doubled backslash; CR LF ends a
  // paragraph), insert-rvf FILE, insert-rtf FILE.
  bool Run(const std::string &Line, std::string &Output, std::string &Error);

  // ------------------------------------------------------------- tables
  // Commands: table ROWS COLS (a new table at the caret), select-cells R C
  // R2 C2, insert-rows I N, insert-cols I N (nothing copied), delete-rows
  // I N, delete-cols I N, merge R C COLSPAN ROWSPAN, clear-cells (the
  // selected ones), table-prop NAME VALUE, cell-prop R C NAME VALUE, all on
  // the current table; save FILE (the document as binary RVF). False when
  // Cmd is none of them; Error says what went wrong with one.
  bool RunTableCommand(const std::string &Cmd, const std::string &Arg, bool &Ok, std::string &Error);
  // The table the commands act on: the first table item at or after the
  // caret, else the last before it; nullptr when the document has none.
  TRVTableItemInfo *CurrentTable() const;

  // ------------------------------------------------------- cell editing
  // Commands: cell R C (the caret to the start of the cell covering R, C
  // of the current table, its editor opened), tab, shift-tab (the next and
  // the previous cell). The caret keys leave a cell at its edges as the
  // editor's do; editing commands act in the innermost open cell editor;
  // undo and redo there take back its own steps, then the outer ones. The
  // dump's caret line reads "caret P O in R C" while a cell is edited.
  bool RunCellCommand(const std::string &Cmd, const std::string &Arg, bool &Ok, std::string &Error);
  // The document edits go to: the innermost open cell editor's, or the
  // document itself.
  TRVEditRVData &Doc() const;
  void UndoRedo(bool Redo);

  // The document's text as UTF-8, a line per paragraph (and per line
  // break), then "caret P O": the caret's line from 0 and its offset in
  // UTF-16 units from the line's start. A non-text item counts as one
  // character, shown as U+FFFC; list markers are not shown. A table is a
  // line "table RxC" followed by "  cell R C CS RS: TEXT" for each cell
  // (paragraphs of its text joined by \n).
  std::string Dump() const;

  // A caret key as the editor control handles it, Shift and Ctrl held or
  // not; true when the caret stood at an edge of the document.
  enum TCaretKey : uint8_t { ckLeft, ckRight, ckUp, ckDown, ckHome, ckEnd, ckPageUp, ckPageDown };
  bool Move(TCaretKey Key, bool Shift, bool Ctrl);

  // The keys: with a selection, Backspace, Delete and Enter first delete it.
  void Backspace(bool Ctrl);
  void Delete();
  void Enter(bool Shift);

private:
  TRVEditRVData &FData;
};

} // namespace kc
