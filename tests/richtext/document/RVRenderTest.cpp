// A small styled document painted with the Liberation fonts and compared
// with the stored picture. KC_UPDATE_RENDER=1 writes the picture anew.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QBuffer>
#include <cstdlib>

#include "platform/Files.h"
#include "platform/QtCanvas.h"
#include "richtext/document/CRVFData.h"

using namespace kc;

namespace {

QImage render() {
  TRVStyle style;
  TFontInfo *header = style.TextStyles().Add();
  header->Style = fsBold;
  header->Color = clNavy;
  header->Size = 12;
  const int headerNo = style.TextStyles().Count() - 1;
  TFontInfo *link = style.TextStyles().Add();
  link->Color = clBlue;
  link->Style = fsUnderline;
  const int linkNo = style.TextStyles().Count() - 1;
  TParaInfo *boxed = style.ParaStyles().Add();
  boxed->Background.Color = RGB(0xFF, 0xF0, 0xC0);
  boxed->Border.Style = rvbSingle;
  boxed->Border.Color = clMaroon;
  boxed->LeftIndent = 10;
  boxed->RightIndent = 10;
  boxed->SpaceBefore = 4;
  boxed->SpaceAfter = 4;
  const int boxedNo = style.ParaStyles().Count() - 1;
  TParaInfo *centred = style.ParaStyles().Add();
  centred->Alignment = rvaCenter;
  const int centredNo = style.ParaStyles().Count() - 1;
  TParaInfo *justified = style.ParaStyles().Add();
  justified->Alignment = rvaJustify;
  const int justifiedNo = style.ParaStyles().Count() - 1;

  QtCanvas measure;
  TRVFixedHost host(&measure, 300, 1000);
  host.Style = &style;
  TRichVistaRVData doc(&host);
  doc.AddText("[12:30] alice:", headerNo, 0);
  doc.AddText("A message long enough to wrap over more than one line of the transcript, justified.", 0, justifiedNo);
  doc.AddText("In a box with a border and a coloured background.", 0, boxedNo);
  doc.AddText("centred link", linkNo, centredNo);
  doc.AddBreakTag(0);
  doc.AddText("The end.", 0, 0);
  doc.ReformatAllForced(true);
  QImage img(300, doc.DocumentHeight, QImage::Format_RGB32);
  img.fill(Qt::white);
  QtCanvas canvas(&img);
  doc.PaintBackground(TRect{0, 0, 300, doc.DocumentHeight}, canvas);
  doc.PaintVisibleLines(TRect{0, 0, 300, doc.DocumentHeight}, canvas);
  return img;
}

TEST(Render, SmallStyledDocumentMatchesTheStoredPicture) {
  const std::string path = qgetenv("KC_SOURCE_DIR").toStdString() + "/tests/richtext/document/data/render-small.png";
  const QImage got = render();
  if (qgetenv("KC_UPDATE_RENDER") == "1") {
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    got.save(&buf, "PNG");
    ASSERT_TRUE(WriteFileAtomically(path, std::string(png.constData(), size_t(png.size()))));
  }
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes)) << path;
  QImage want;
  ASSERT_TRUE(want.loadFromData(reinterpret_cast<const uchar *>(bytes.data()), int(bytes.size()), "PNG"));
  ASSERT_EQ(got.size(), want.size());
  // Anti-aliasing may differ between FreeType builds: a few pixels may
  // differ a little, no shape may move.
  int differing = 0;
  for (int y = 0; y < got.height(); ++y)
    for (int x = 0; x < got.width(); ++x) {
      const QRgb a = got.pixel(x, y), b = want.pixel(x, y);
      const int d = std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
      if (d > 96) ++differing;
    }
  EXPECT_LE(differing, got.width() * got.height() / 200);
}

} // namespace
