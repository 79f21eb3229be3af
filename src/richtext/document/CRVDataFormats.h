#pragma once
// The document formats that need only the document: RVF (the program's own
// stream of records, written and read), plain text, RTF and HTML output.
// Every writer appends to a byte string; files are written whole through
// the platform's atomic replacement, so a failure leaves the old file.
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#include "richtext/document/CRVData.h"

namespace kc {

// The background a document is saved and loaded with.
struct TRVFBackground {
  int Style = 0;
  TColor Color = clNone;
  std::unique_ptr<TGraphic> Picture;
};

// ------------------------------------------------------------------ RVF

// Writes the document (or its export range when SelectionOnly) as RVF.
// Layout and Background may be null. An empty document writes nothing.
bool SaveRvfToStream(TCustomRVData &RVData, std::string &Stream, bool SelectionOnly,
                     const TRVLayoutInfo *Layout = nullptr, const TRVFBackground *Background = nullptr);

// The result of a read: false when the stream is malformed or ends inside a
// record (the items read so far stay); Error says why.
struct TRVFReadResult {
  bool Ok = false;
  std::string Error;
  int ItemsRead = 0;
  // Read, but the stream ended inside its last line: the document is
  // probably a part of what was written.
  bool CutShort = false;
};

// Clears the document and reads the whole stream into it. Layout and
// Background receive what the stream carries when the options ask for it.
TRVFReadResult LoadRvfFromStream(TCustomRVData &RVData, std::string_view Stream, TRVLayoutInfo *Layout = nullptr,
                                 TRVFBackground *Background = nullptr);
// Inserts the stream's items before item Index (clamped to the items; the
// end by default); style sections are mapped or merged by the read modes.
// A first item that continued its paragraph joins the paragraph at the
// insertion point, and items there that continued it join the inserted
// items' last paragraph. A stream that cannot be read whole changes
// nothing (style entries it brought go again).
TRVFReadResult InsertRvfFromStream(TCustomRVData &RVData, std::string_view Stream,
                                   int Index = std::numeric_limits<int>::max());

// Hexadecimal forms: two upper-case digits a byte.
std::string RVFStringToHex(std::string_view Bytes);
// False on an odd length or a character that is not a digit (either case).
bool RVFHexToString(std::string_view Hex, std::string &Bytes);
// CR to byte 1, LF to byte 2, and back: a document property stays one line.
std::string RVFEncodeLineBreaks(std::string s);
std::string RVFDecodeLineBreaks(std::string s);

// ---------------------------------------------------------- plain text

// Writes the document as text: 8-bit in the ANSI code page, or UTF-16
// little-endian (with FF FE first when UnicodeBOM). LineWidth is handed to
// the items that fill a line (breaks). An empty document writes nothing.
bool ExportTextToStream(TCustomRVData &RVData, const std::string &Path, std::string &Stream, int LineWidth,
                        bool SelectionOnly, bool TextOnly, bool Unicode, bool UnicodeBOM);
// The file is replaced whole; false (and Error) when it cannot be written.
bool ExportTextToFile(TCustomRVData &RVData, const std::string &FileName, int LineWidth, bool Unicode,
                      std::string *Error = nullptr);

// ----------------------------------------------------------------- RTF

// Writes the document as RTF 1. System colours go into the colour table as
// the classic scheme has them, whatever the desktop's theme.
bool ExportRtfToStream(TCustomRVData &RVData, std::string &Stream, TColor BackgroundColor = clNone);
// The paragraphs of a nested document (a table cell) inside an RTF being
// written through Context: no header, the colour and font tables and
// options of the whole, paragraphs marked as in a table of depth
// Context.Level.
void ExportRtfBody(TCustomRVData &RVData, std::string &Stream, TRVRTFSaveContext &Context);
bool ExportRtfToFile(TCustomRVData &RVData, const std::string &FileName, TColor BackgroundColor = clNone,
                     std::string *Error = nullptr);

// ---------------------------------------------------------------- HTML

// Writes the document as an HTML page, the CSS flavour when Css. Pictures
// are saved beside it in Path, named from ImagesPrefix. False without a
// style sheet.
bool ExportHtmlEx(TCustomRVData &RVData, std::string &Stream, const std::string &Path, const std::string &Title,
                  const std::string &ImagesPrefix, TRVSaveOptions Options, TColor BackgroundColor, bool Css,
                  const TRVFBackground *Background = nullptr);
// The body of a nested document (a table cell) inside a page being written
// through Context: its paragraphs and items, pictures numbered on from
// Context's counter.
void ExportHtmlBody(TCustomRVData &RVData, std::string &Stream, TRVHTMLSaveContext &Context);
bool ExportHtmlToFile(TCustomRVData &RVData, const std::string &FileName, const std::string &Title, bool Css,
                      std::string *Error = nullptr);

} // namespace kc
