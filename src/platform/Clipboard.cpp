#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <mutex>
#include <vector>

#include "platform/AsciiCase.h"

namespace kc {

namespace {

std::mutex gFormatsLock;
std::vector<std::string> &registered() {
  static std::vector<std::string> names;
  return names;
}
constexpr unsigned kFirstPrivate = 0xC000;

QClipboard *board() {
  return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

} // namespace

unsigned Clipboard::registerFormat(std::string_view name) {
  std::lock_guard<std::mutex> lock(gFormatsLock);
  auto &names = registered();
  // Registered names are matched without regard to case, as the system does.
  for (size_t i = 0; i < names.size(); ++i)
    if (asciiEqualNoCase(names[i], name)) return kFirstPrivate + unsigned(i);
  names.emplace_back(name);
  return kFirstPrivate + unsigned(names.size() - 1);
}

std::string Clipboard::formatName(unsigned format) {
  switch (format) {
  case cfText: return "CF_TEXT";
  case cfBitmap: return "CF_BITMAP";
  case cfUnicodeText: return "CF_UNICODETEXT";
  default: break;
  }
  std::lock_guard<std::mutex> lock(gFormatsLock);
  const auto &names = registered();
  if (format >= kFirstPrivate && format - kFirstPrivate < names.size()) return names[format - kFirstPrivate];
  return {};
}

std::string Clipboard::mimeType(unsigned format) {
  switch (format) {
  case cfText:
  case cfUnicodeText: return "text/plain";
  case cfBitmap: return "application/x-qt-image";
  default: break;
  }
  const std::string name = formatName(format);
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return name;
  return "application/x-qt-windows-mime;value=\"" + name + "\"";
}

bool Clipboard::hasFormat(unsigned format) {
  QClipboard *cb = board();
  const QMimeData *md = cb ? cb->mimeData() : nullptr;
  if (!md) return false;
  switch (format) {
  case cfText:
  case cfUnicodeText: return md->hasText();
  case cfBitmap: return md->hasImage();
  default: {
    const std::string mime = mimeType(format);
    return !mime.empty() && md->hasFormat(QString::fromStdString(mime));
  }
  }
}

std::string Clipboard::data(unsigned format) {
  QClipboard *cb = board();
  const QMimeData *md = cb ? cb->mimeData() : nullptr;
  const std::string mime = mimeType(format);
  if (!md || mime.empty()) return {};
  return md->data(QString::fromStdString(mime)).toStdString();
}

std::u16string Clipboard::text() {
  QClipboard *cb = board();
  return cb ? cb->text().toStdU16String() : std::u16string();
}

QImage Clipboard::image() {
  QClipboard *cb = board();
  return cb ? cb->image() : QImage();
}

void Clipboard::setData(unsigned format, std::string_view bytes) {
  Batch b;
  b.setData(format, bytes);
  b.commit();
}

void Clipboard::setText(std::u16string_view text) {
  Batch b;
  b.setText(text);
  b.commit();
}

void Clipboard::setImage(const QImage &image) {
  Batch b;
  b.setImage(image);
  b.commit();
}

void Clipboard::clear() {
  if (QClipboard *cb = board()) cb->clear();
}

Clipboard::Batch::Batch() : FData(std::make_unique<QMimeData>()) {}
Clipboard::Batch::~Batch() = default;

void Clipboard::Batch::setData(unsigned format, std::string_view bytes) {
  const std::string mime = mimeType(format);
  if (mime.empty() || !FData) return;
  FData->setData(QString::fromStdString(mime), QByteArray(bytes.data(), qsizetype(bytes.size())));
}

void Clipboard::Batch::setText(std::u16string_view text) {
  if (FData) FData->setText(QString::fromUtf16(text.data(), qsizetype(text.size())));
}

void Clipboard::Batch::setImage(const QImage &image) {
  if (FData && !image.isNull()) FData->setImageData(image);
}

void Clipboard::Batch::commit() {
  QClipboard *cb = board();
  if (!cb || !FData) return;
  cb->setMimeData(FData.release()); // the clipboard takes the object
}

} // namespace kc
