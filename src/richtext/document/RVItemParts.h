#pragma once
// What the item classes' source files share: pieces of the RVF text form,
// the kinds of pictures, the frames of selected items, HTML attributes.
#include <cstddef>
#include <string>

#include "richtext/document/RVItem.h"

namespace kc::rvitem {

// A line of the RVF text form, ended by CR LF.
void WriteLine(std::string &Stream, const std::string &s);
// A binary block: 4-byte little-endian count, the bytes, no line end.
void WriteBinaryBlock(std::string &Stream, const std::string &Bytes);
// s in double quotes, its quotes doubled.
std::string Quoted(const std::string &s);
std::string TagToText(const TRVTag &Tag, bool TagsArePChars);
// Reads a decimal integer (optional '-') at Pos, passing over one blank
// after it. False without moving when there is none.
bool ReadInt(const std::string &s, size_t &Pos, int &Value);
bool EmptyTail(const std::string &Field);
// Decimal value of an extra-property line; 0 when it is not a number.
int StrToIntDef0(const std::string &s);
void AddWarning(TCustomRVData *RVData, TRVFWarning W);

bool IsMetafile(const TGraphic *g);
bool IsIcon(const TGraphic *g);
bool IsJpeg(const TGraphic *g);

// The frame pen: 1 pixel, solid, clear brush.
void FramePen(TCanvas &Canvas, TColor Color);
TColor SelectionColor(TRVItemDrawStates State, const TRVStyle *Style);
// The top of a piece of a split picture inside the picture; 0 for the whole.
int PieceImageTop(TRVDrawLineInfo *DrawLine, int Part);

// The title attribute of a hint followed by a blank; empty without a hint.
std::string HtmlTitleBlank(const std::string &Hint);
// A file name relative to the page's folder: the folder part is dropped
// when the name lies inside it.
std::string RelativeToPath(const std::string &FileName, const std::string &Path);

} // namespace kc::rvitem
