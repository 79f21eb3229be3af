#include "richtext/controls/RVDropTarget.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QUrl>

#include "platform/AsciiCase.h"
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "richtext/document/RVFuncs.h"

namespace kc {

unsigned CF_RVF() { return Clipboard::registerFormat(CFRV_RVF.Name); }
unsigned CF_RTF() { return Clipboard::registerFormat(CFRV_RTF.Name); }
unsigned CF_HTML() { return Clipboard::registerFormat(CFRV_HTML.Name); }
unsigned CF_URL() { return Clipboard::registerFormat(CFRV_URL.Name); }
unsigned CF_FILEGROUPDESCRIPTOR() { return Clipboard::registerFormat("FileGroupDescriptor"); }

TRVHasFormat HasFormatOf(const DataObject &Data) {
  return [&Data](unsigned Format) { return Data.hasFormat(Format); };
}

unsigned ChoosePasteFormat(const TRVHasFormat &Has, bool UnicodeStyle) {
  if (Has(CF_RVF())) return CF_RVF();
  if (Has(CF_RTF())) return CF_RTF();
  if (Has(DataObject::cfUnicodeText)) {
    if (!UnicodeStyle && Has(DataObject::cfText)) return DataObject::cfText;
    return DataObject::cfUnicodeText;
  }
  if (Has(DataObject::cfText)) return DataObject::cfText;
  if (Has(DataObject::cfBitmap)) return DataObject::cfBitmap;
  return 0;
}

bool IsDropFormatAccepted(unsigned Format, TRVDragDropFormats Accepted) {
  switch (Format) {
  case DataObject::cfText: return Accepted.Has(rvddText);
  case DataObject::cfBitmap:
  case DataObject::cfDib: return Accepted.Has(rvddBitmap);
  case DataObject::cfUnicodeText: return Accepted.Has(rvddUnicodeText);
  case DataObject::cfEnhMetafile: return Accepted.Has(rvddMetafile);
  case DataObject::cfHDrop: return Accepted.Has(rvddFiles);
  default: break;
  }
  if (Format == CF_RTF()) return Accepted.Has(rvddRTF);
  if (Format == CF_RVF()) return Accepted.Has(rvddRVF);
  if (Format == CF_URL()) return Accepted.Has(rvddURL);
  return false;
}

std::vector<unsigned> DropFormatsToTry(unsigned Format, bool UnicodeStyle) {
  if (Format != 0) return {Format};
  const unsigned first = UnicodeStyle ? DataObject::cfUnicodeText : DataObject::cfText;
  const unsigned second = UnicodeStyle ? DataObject::cfText : DataObject::cfUnicodeText;
  // Metafiles are never offered on this desktop.
  return {CF_RVF(), CF_RTF(), CF_URL(), first, second, DataObject::cfBitmap, DataObject::cfHDrop};
}

unsigned ChooseDropFormat(const TRVHasFormat &Has, TRVDragDropFormats Accepted, unsigned Format, bool UnicodeStyle) {
  for (unsigned f : DropFormatsToTry(Format, UnicodeStyle))
    if (IsDropFormatAccepted(f, Accepted) && Has(f)) return f;
  return 0;
}

unsigned PreferredDropFormat(TRVDragDropFormats Accepted, bool SelectedPicture) {
  if (Accepted.Has(rvddRVF)) return CF_RVF();
  if (Accepted.Has(rvddRTF)) return CF_RTF();
  // A picture travels as a bitmap; no metafile is ever offered here.
  if (SelectedPicture && Accepted.Has(rvddBitmap)) return DataObject::cfBitmap;
  if (Accepted.Has(rvddUnicodeText)) return DataObject::cfUnicodeText;
  if (Accepted.Has(rvddText)) return DataObject::cfText;
  return 0;
}

Qt::DropAction ChooseDropEffect(bool Ctrl, Qt::DropActions Allowed, bool FromHere) {
  if (!Ctrl && (Allowed & Qt::MoveAction) && FromHere) return Qt::MoveAction;
  if (Allowed & Qt::CopyAction) return Qt::CopyAction;
  return Qt::LinkAction;
}

Qt::DropAction ReportedDropEffect(Qt::DropAction Performed, Qt::DropActions Allowed) {
  if (Performed == Qt::CopyAction && !(Allowed & Qt::CopyAction)) return Qt::LinkAction;
  return Performed;
}

bool RVFOfClipboardBlock(std::string_view Block, std::string_view &Rvf) {
  Rvf = {};
  if (Block.size() < 4) return true;
  const uint32_t n =
      uint8_t(Block[0]) | uint8_t(Block[1]) << 8 | uint8_t(Block[2]) << 16 | uint32_t(uint8_t(Block[3])) << 24;
  if (n > Block.size() - 4) return false;
  Rvf = Block.substr(4, n);
  return true;
}

namespace {

bool startsNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && asciiEqualNoCase(s.substr(0, prefix.size()), prefix);
}

std::string trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && uint8_t(s[b]) <= ' ') ++b;
  while (e > b && uint8_t(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

std::string folderPart(const std::string &Path) {
  const size_t p = Path.find_last_of("/\\");
  return p == std::string::npos ? std::string() : Path.substr(0, p + 1);
}

} // namespace

std::string BasePathOfHtmlBlock(std::string_view Html) {
  std::string text;
  // Some browsers give text/html as UTF-16 with its byte-order mark.
  if (Html.size() >= 2 && uint8_t(Html[0]) == 0xFF && uint8_t(Html[1]) == 0xFE) {
    std::u16string w;
    for (size_t i = 2; i + 1 < Html.size(); i += 2) w += char16_t(uint8_t(Html[i]) | uint8_t(Html[i + 1]) << 8);
    text = utf16ToUtf8(w);
  } else {
    text.assign(Html);
  }
  constexpr std::string_view kKey = "SourceURL:";
  const size_t at = text.find(kKey);
  if (at == std::string::npos) return {};
  const size_t start = at + kKey.size();
  const size_t end = text.find_first_of(std::string_view("\0\n\r", 3), start);
  const std::string url = trimmed(std::string_view(text).substr(start, end == std::string::npos ? end : end - start));
  if (startsNoCase(url, "file://")) {
    // A local folder: the path as this system spells it.
    const std::string path = QUrl::fromPercentEncoding(QByteArray::fromStdString(url.substr(7))).toStdString();
    return folderPart(path);
  }
  for (std::string_view scheme : {"http://", "https://"})
    if (startsNoCase(url, scheme)) {
      const std::string folder = folderPart(url.substr(scheme.size()));
      return folder.empty() ? std::string() : std::string(scheme) + folder;
    }
  return folderPart(url);
}

std::string DroppedUrlTitle(const std::string &Url, const std::string *DescriptorName) {
  if (!DescriptorName) return Url;
  // The descriptor names a link file ("Title.url"): the title is the name
  // without its extension.
  const std::u16string name = utf8ToUtf16(*DescriptorName);
  if (name.size() < 5) return Url;
  return utf16ToUtf8(std::u16string_view(name).substr(0, name.size() - 4));
}

namespace {

template <typename S> S withCrLf(std::basic_string_view<typename S::value_type> Text) {
  S out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == '\n' && (i == 0 || Text[i - 1] != '\r')) out += typename S::value_type('\r');
    out += Text[i];
  }
  return out;
}

} // namespace

std::u16string TextWithCrLf(std::u16string_view Text) { return withCrLf<std::u16string>(Text); }
std::string TextWithCrLf(std::string_view Text) { return withCrLf<std::string>(Text); }

namespace {

std::string lowerExtension(const std::string &Path) {
  const size_t slash = Path.find_last_of('/');
  const size_t dot = Path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return asciiLowered(Path.substr(dot));
}

} // namespace

TRVDroppedFileKind DroppedFileKind(const std::string &Path) {
  const std::string ext = lowerExtension(Path);
  if (ext == ".rtf") return TRVDroppedFileKind::RTF;
  if (ext == ".rvf") return TRVDroppedFileKind::RVF;
  if (ext == ".txt") return TRVDroppedFileKind::Text;
  return TRVDroppedFileKind::None;
}

std::unique_ptr<TGraphic> LoadPictureFile(const std::string &Path) {
  const std::string ext = lowerExtension(Path);
  const char *className = nullptr;
  if (ext == ".bmp" || ext == ".dib") className = "TBitmap";
  else if (ext == ".jpg" || ext == ".jpeg" || ext == ".jpe" || ext == ".jfif") className = "TJPEGImage";
  else if (ext == ".ico") className = "TIcon";
  else if (ext == ".emf" || ext == ".wmf") className = "TMetafile";
  else if (ext != ".png" && ext != ".gif") return nullptr;
  std::string bytes;
  if (!ReadWholeFile(Path, bytes)) return nullptr;
  if (className) {
    std::unique_ptr<TGraphic> g = createGraphic(className);
    if (!g || !g->loadFromBytes(bytes) || g->empty()) return nullptr;
    return g;
  }
  // The pictures of this desktop that have no class of their own become
  // bitmaps; their size is checked before anything is decoded.
  QByteArray data = QByteArray::fromStdString(bytes);
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, ext == ".png" ? "PNG" : "GIF");
  const QSize size = reader.size();
  if (!size.isValid() || size.width() > kMaxGraphicSide || size.height() > kMaxGraphicSide ||
      int64_t(size.width()) * size.height() > kMaxGraphicPixels)
    return nullptr;
  QImage image = reader.read();
  if (image.isNull()) return nullptr;
  return std::make_unique<TBitmap>(std::move(image));
}

bool IsCurrentStyleUnicode(TCustomRichVistaEdit &Editor) {
  TCustomRichVistaEdit *e = Editor.InnermostEditor();
  const TFontInfo *f = e->Style ? e->Style->TextStyles().GetTextStyleSafe(e->ActualCurTextStyleNo()) : nullptr;
  return f && f->Unicode;
}

} // namespace kc
