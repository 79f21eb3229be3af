// A small styled document painted with the Liberation fonts and compared
// with the stored picture. KC_UPDATE_RENDER=1 writes the picture anew.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <cstdlib>

#include "platform/Files.h"
#include "platform/QtCanvas.h"
#include "richtext/document/CRVFData.h"
#include "support/StoredPicture.h"

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
  kctest::ExpectMatchesStoredPicture(render(), "tests/richtext/document/data/render-small.png");
}

} // namespace
