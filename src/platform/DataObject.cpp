#include "platform/DataObject.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include "platform/AsciiCase.h"
#include "platform/CodePage.h"

namespace kc {

namespace {

// Windows names of formats and the types the same data has on this desktop.
struct TKnownFormat {
  const char *Name;
  std::vector<const char *> Types;
};
const std::vector<TKnownFormat> &knownFormats() {
  static const std::vector<TKnownFormat> formats = {
      {"RichVista Format", {"application/x-richvista"}},
      {"Rich Text Format", {"text/rtf", "application/rtf"}},
      {"HTML Format", {"text/html"}},
  };
  return formats;
}

bool isUrlFormat(const std::string &name) { return asciiEqualNoCase(name, "UniformResourceLocator"); }
bool isDescriptorFormat(const std::string &name) { return asciiEqualNoCase(name, "FileGroupDescriptor"); }

// The first URL of text/x-moz-url: UTF-16 lines of URL and title.
std::string mozUrl(const QMimeData &md) {
  const QByteArray raw = md.data(QStringLiteral("text/x-moz-url"));
  if (raw.size() < 2) return {};
  const QString s = QString::fromUtf16(reinterpret_cast<const char16_t *>(raw.constData()), raw.size() / 2);
  const QUrl url(s.section(QLatin1Char('\n'), 0, 0).trimmed());
  return url.isValid() && !url.isLocalFile() ? url.toEncoded().toStdString() : std::string();
}

std::string otherUrl(const QMimeData &md) {
  if (md.hasUrls())
    for (const QUrl &u : md.urls())
      if (u.isValid() && !u.isLocalFile() && !u.scheme().isEmpty()) return u.toEncoded().toStdString();
  return mozUrl(md);
}

std::string cutAtNul(std::string s) {
  if (size_t p = s.find('\0'); p != std::string::npos) s.resize(p);
  return s;
}

} // namespace

DataObject::DataObject(const QMimeData *Data) : FData(const_cast<QMimeData *>(Data)) {}

DataObject DataObject::clipboard() {
  if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) return DataObject(nullptr);
  return DataObject(QGuiApplication::clipboard()->mimeData());
}

std::vector<std::string> DataObject::typesOf(unsigned format) const {
  std::vector<std::string> types;
  const std::string name = Clipboard::formatName(format);
  if (name.empty()) return types;
  if (name.find('/') != std::string::npos) {
    types.push_back(name);
    return types;
  }
  for (const TKnownFormat &k : knownFormats())
    if (asciiEqualNoCase(k.Name, name))
      for (const char *t : k.Types) types.emplace_back(t);
  types.push_back(Clipboard::mimeType(format));
  // A program of another toolkit may offer the name itself as its type.
  types.push_back(name);
  // The wide descriptor carries the same names.
  if (isDescriptorFormat(name)) {
    types.push_back(Clipboard::mimeType(Clipboard::registerFormat("FileGroupDescriptorW")));
    types.push_back("FileGroupDescriptorW");
  }
  return types;
}

bool DataObject::hasPlainText() const {
  if (!FData) return false;
  bool text = false;
  for (const QString &f : FData->formats())
    if (f == QLatin1String("text/plain") || f.startsWith(QLatin1String("text/plain;"))) text = true;
  return text && files().empty();
}

bool DataObject::hasFormat(unsigned format) const {
  if (!FData) return false;
  switch (format) {
  case cfText:
  case cfUnicodeText: return hasPlainText();
  case cfBitmap:
  case cfDib: return FData->hasImage();
  case cfHDrop: return !files().empty();
  case cfMetafilePict:
  case cfEnhMetafile: return false;
  default: break;
  }
  const std::string name = Clipboard::formatName(format);
  if (isUrlFormat(name) && !otherUrl(*FData).empty()) return true;
  for (const std::string &t : typesOf(format))
    if (FData->hasFormat(QString::fromStdString(t))) return true;
  return false;
}

std::string DataObject::bytes(unsigned format) const {
  if (!FData) return {};
  const std::string name = Clipboard::formatName(format);
  if (isUrlFormat(name)) {
    // A Windows program's own block wins: it is what it meant to give.
    for (const std::string &t : typesOf(format))
      if (FData->hasFormat(QString::fromStdString(t)))
        return cutAtNul(FData->data(QString::fromStdString(t)).toStdString());
    return otherUrl(*FData);
  }
  for (const std::string &t : typesOf(format))
    if (FData->hasFormat(QString::fromStdString(t))) return FData->data(QString::fromStdString(t)).toStdString();
  return {};
}

std::u16string DataObject::unicodeText() const {
  if (!hasPlainText()) return {};
  std::u16string s = FData->text().toStdU16String();
  if (size_t p = s.find(u'\0'); p != std::u16string::npos) s.resize(p);
  return s;
}

std::string DataObject::ansiText(int codePage) const { return fromUtf16(unicodeText(), codePage); }

QImage DataObject::image() const {
  if (!FData || !FData->hasImage()) return {};
  return qvariant_cast<QImage>(FData->imageData());
}

std::vector<std::string> DataObject::files() const {
  std::vector<std::string> out;
  if (!FData || !FData->hasUrls()) return out;
  for (const QUrl &u : FData->urls())
    if (u.isLocalFile() && !u.toLocalFile().isEmpty()) out.push_back(u.toLocalFile().toStdString());
  return out;
}

bool DataObject::parseFileGroupDescriptor(std::string_view block, bool wide, std::string &name) {
  // FILEGROUPDESCRIPTOR: a 32-bit count, then descriptors whose file name
  // (MAX_PATH characters) follows 72 bytes of flags, sizes and times.
  constexpr size_t kNameAt = 4 + 72, kMaxPath = 260;
  name.clear();
  if (block.size() < 4) return false;
  const uint32_t count =
      uint8_t(block[0]) | uint8_t(block[1]) << 8 | uint8_t(block[2]) << 16 | uint32_t(uint8_t(block[3])) << 24;
  if (count == 0 || block.size() <= kNameAt) return false;
  const std::string_view rest = block.substr(kNameAt);
  if (wide) {
    std::u16string s;
    for (size_t i = 0; i + 1 < rest.size() && s.size() < kMaxPath; i += 2) {
      const char16_t c = char16_t(uint8_t(rest[i]) | uint8_t(rest[i + 1]) << 8);
      if (c == 0) break;
      s += c;
    }
    name = utf16ToUtf8(s);
  } else {
    std::string s;
    for (size_t i = 0; i < rest.size() && s.size() < kMaxPath && rest[i] != '\0'; ++i) s += rest[i];
    name = ansiToUtf8(s);
  }
  return true;
}

bool DataObject::fileGroupDescriptorName(std::string &name) const {
  name.clear();
  if (!FData) return false;
  const unsigned narrow = Clipboard::registerFormat("FileGroupDescriptor");
  const unsigned wide = Clipboard::registerFormat("FileGroupDescriptorW");
  for (const std::string &t : {Clipboard::mimeType(wide), std::string("FileGroupDescriptorW")})
    if (FData->hasFormat(QString::fromStdString(t)))
      return parseFileGroupDescriptor(FData->data(QString::fromStdString(t)).toStdString(), true, name);
  for (const std::string &t : {Clipboard::mimeType(narrow), std::string("FileGroupDescriptor")})
    if (FData->hasFormat(QString::fromStdString(t)))
      return parseFileGroupDescriptor(FData->data(QString::fromStdString(t)).toStdString(), false, name);
  return false;
}

} // namespace kc
