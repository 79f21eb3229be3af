#pragma once
// What the editor takes from a paste or a drop, and in which order: the
// formats it knows, the test of a dragged format against the formats the
// editor accepts, the choice among what is offered, and the readers that
// turn a format's bytes into what an insertion takes. None of it needs a
// window, so each rule is testable on its own.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DataObject.h"
#include "richtext/controls/RichVistaEdit.h"

namespace kc {

// Everything but URLs.
inline constexpr TRVDragDropFormats rvddDefaultFormats = TRVDragDropFormats::FromRaw(191);

// The registered formats, by the names other programs know them by.
unsigned CF_RVF();                 // "RichVista Format"
unsigned CF_RTF();                 // "Rich Text Format"
unsigned CF_HTML();                // "HTML Format"
unsigned CF_URL();                 // "UniformResourceLocator"
unsigned CF_FILEGROUPDESCRIPTOR(); // "FileGroupDescriptor"

// Whether text typed into the editor now goes into a Unicode style.
bool IsCurrentStyleUnicode(TCustomRichVistaEdit &Editor);

// Whether a content offers a format.
using TRVHasFormat = std::function<bool(unsigned Format)>;
TRVHasFormat HasFormatOf(const DataObject &Data);

// The format a paste uses, 0 when none is offered: RVF, RTF, Unicode text
// (in an ANSI style the ANSI text when it is offered too), ANSI text,
// bitmap; the first one offered wins.
unsigned ChoosePasteFormat(const TRVHasFormat &Has, bool UnicodeStyle);

// The format test of a drop: whether the editor takes this format at all.
bool IsDropFormatAccepted(unsigned Format, TRVDragDropFormats Accepted);
// The formats a drop tries, in order. 0 (any) gives RVF, RTF, URL, text
// (Unicode first for a Unicode style, else ANSI first), bitmap, files; any
// other format only itself.
std::vector<unsigned> DropFormatsToTry(unsigned Format, bool UnicodeStyle);
// The first of those that is accepted and offered; 0 when none is.
unsigned ChooseDropFormat(const TRVHasFormat &Has, TRVDragDropFormats Accepted, unsigned Format, bool UnicodeStyle);
// What the editor asks of a drag it started itself: its own formats as far
// as it accepts them, the picture for a selected picture, else text.
unsigned PreferredDropFormat(TRVDragDropFormats Accepted, bool SelectedPicture);

// The effect a drag over the editor gets: a move when Ctrl is not held,
// the source allows moving and the drag started in this editor; else a
// copy when the source allows copying; else a link.
Qt::DropAction ChooseDropEffect(bool Ctrl, Qt::DropActions Allowed, bool FromHere);
// What a drop reports for the effect it performed: a copy into a source
// that allows no copying is reported as the link it allowed.
Qt::DropAction ReportedDropEffect(Qt::DropAction Performed, Qt::DropActions Allowed);

// The RVF inside a "RichVista Format" block: the first 4 bytes are a
// little-endian length of the RVF that follows; bytes after that length are
// not part of it. False when the length runs past the block. A block shorter
// than the length field holds nothing.
bool RVFOfClipboardBlock(std::string_view Block, std::string_view &Rvf);

// The folder an HTML clipboard block was copied from ("SourceURL:"), the
// base of relative paths in the RTF that came with it: a local folder with
// its trailing "/", or a web folder with its scheme; "" when none is named.
std::string BasePathOfHtmlBlock(std::string_view Html);

// The title of a dropped URL: the first name of the file descriptor without
// its 4-character extension when the name is longer than that, else the
// URL itself. DescriptorName is null when the drop carries no descriptor.
std::string DroppedUrlTitle(const std::string &Url, const std::string *DescriptorName);

// Text of this desktop ends its lines in LF alone; the insertions cut lines
// at CR LF. Lone LFs become CR LF, CR LF pairs stay.
std::u16string TextWithCrLf(std::u16string_view Text);
std::string TextWithCrLf(std::string_view Text);

// What a dropped file that is not a picture is read as, by its extension.
enum class TRVDroppedFileKind { None, RTF, RVF, Text };
TRVDroppedFileKind DroppedFileKind(const std::string &Path);
// A picture file loaded by its type (its extension); null when the file is
// not a picture this program reads.
std::unique_ptr<TGraphic> LoadPictureFile(const std::string &Path);

} // namespace kc
