#pragma once
// The system clipboard. Formats are numbers: the standard ones below, and
// private ones registered by name (the same name gives the same number during
// a run). A registered name is carried as a MIME type: names that already are
// MIME types ("type/subtype") as they are, all others as
// application/x-qt-windows-mime;value="<name>", the type under which Qt
// carries named clipboard formats.
#include <QImage>
#include <memory>
#include <string>
#include <string_view>

class QMimeData;

namespace kc {

class Clipboard {
public:
  enum : unsigned { cfText = 1, cfBitmap = 2, cfUnicodeText = 13 };

  static unsigned registerFormat(std::string_view name);
  // "" for a number that is neither standard nor registered.
  static std::string formatName(unsigned format);
  static std::string mimeType(unsigned format);

  static bool hasFormat(unsigned format);
  // The bytes of a registered format ("" when absent).
  static std::string data(unsigned format);
  static std::u16string text();
  static QImage image();

  // Each of these replaces the whole clipboard content.
  static void setData(unsigned format, std::string_view bytes);
  static void setText(std::u16string_view text);
  static void setImage(const QImage &image);
  static void clear();

  // Several formats placed at once, as one content; nothing changes on the
  // clipboard until commit.
  class Batch {
  public:
    Batch();
    ~Batch();
    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;
    void setData(unsigned format, std::string_view bytes);
    void setText(std::u16string_view text);
    void setImage(const QImage &image);
    void commit();

  private:
    std::unique_ptr<QMimeData> FData;
  };
};

} // namespace kc
