#pragma once
// The content of the clipboard or of a drag, read as the formats a Windows
// program knows them by. Formats are numbers as Clipboard gives them: the
// standard ones below and names registered with Clipboard::registerFormat.
//
// How this desktop's types stand for them:
// - CF_UNICODETEXT is text/plain (always Unicode here). CF_TEXT is the same
//   text, offered whenever CF_UNICODETEXT is and converted to the code page
//   the reader asks for, as Windows derives the one from the other.
// - CF_BITMAP and CF_DIB are any image Qt can read from the content.
// - CF_HDROP is the local files (file://) of text/uri-list. A content that
//   names local files offers no text: its text/plain is the same names.
// - "UniformResourceLocator" is the first other URL of text/uri-list, of
//   text/x-moz-url, or the format itself when a Windows program put it there.
// - "Rich Text Format" is text/rtf (or application/rtf), "HTML Format"
//   text/html, "RichVista Format" application/x-richvista; every registered
//   name is also found under the type Qt gives a named Windows format.
// - Metafiles (CF_METAFILEPICT, CF_ENHMETAFILE) are never offered.
#include <QImage>
#include <QPointer>
#include <string>
#include <vector>

#include "platform/Clipboard.h"

class QMimeData;

namespace kc {

class DataObject {
public:
  enum : unsigned {
    cfText = Clipboard::cfText,
    cfBitmap = Clipboard::cfBitmap,
    cfMetafilePict = 3,
    cfDib = 8,
    cfUnicodeText = Clipboard::cfUnicodeText,
    cfEnhMetafile = 14,
    cfHDrop = 15,
  };

  // Reads Data while it lives (a content that goes away reads as empty).
  explicit DataObject(const QMimeData *Data);
  // The clipboard's content as it is now.
  static DataObject clipboard();

  bool hasFormat(unsigned format) const;
  // The bytes of a registered format as offered ("" when absent). For
  // "UniformResourceLocator" the URL (ASCII, percent-encoded).
  std::string bytes(unsigned format) const;
  // CF_UNICODETEXT, up to its first NUL character.
  std::u16string unicodeText() const;
  // CF_TEXT: the text in a code page (characters it lacks become "?").
  std::string ansiText(int codePage) const;
  QImage image() const;
  // CF_HDROP: local paths in the order given.
  std::vector<std::string> files() const;
  // The first file name of a Windows "FileGroupDescriptor(W)" (at most 260
  // characters, UTF-8); false when there is none.
  bool fileGroupDescriptorName(std::string &name) const;

  // A first file name of that layout, from a descriptor block.
  static bool parseFileGroupDescriptor(std::string_view block, bool wide, std::string &name);

private:
  bool hasPlainText() const;
  std::vector<std::string> typesOf(unsigned format) const;
  QPointer<QMimeData> FData;
};

} // namespace kc
