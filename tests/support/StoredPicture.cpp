#include "support/StoredPicture.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <cstdlib>

#include "platform/Files.h"

namespace kctest {

void ExpectMatchesStoredPicture(const QImage &Got, const std::string &RelativePath) {
  const std::string path = qgetenv("KC_SOURCE_DIR").toStdString() + "/" + RelativePath;
  if (qgetenv("KC_UPDATE_RENDER") == "1") {
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    Got.save(&buf, "PNG");
    ASSERT_TRUE(kc::WriteFileAtomically(path, std::string(png.constData(), size_t(png.size()))));
  }
  std::string bytes;
  ASSERT_TRUE(kc::ReadWholeFile(path, bytes)) << path;
  QImage want;
  ASSERT_TRUE(want.loadFromData(reinterpret_cast<const uchar *>(bytes.data()), int(bytes.size()), "PNG"));
  ASSERT_EQ(Got.size(), want.size());
  // Anti-aliasing may differ between FreeType builds: a few pixels may
  // differ a little, no shape may move.
  int differing = 0;
  for (int y = 0; y < Got.height(); ++y)
    for (int x = 0; x < Got.width(); ++x) {
      const QRgb a = Got.pixel(x, y), b = want.pixel(x, y);
      const int d = std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
      if (d > 96) ++differing;
    }
  EXPECT_LE(differing, Got.width() * Got.height() / 200);
}

} // namespace kctest
