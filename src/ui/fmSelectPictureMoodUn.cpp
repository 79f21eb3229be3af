#include "ui/fmSelectPictureMoodUn.h"

#include "platform/ImageList.h"
#include "platform/Log.h"
#include "richtext/controls/RichVista.h"
#include "widgets/KcImageSquare.h"

namespace kc {

QPoint PlaceAtButton(QPoint At, QSize Size, const QRect &WorkArea) {
  QPoint p = At;
  if (p.y() + Size.height() > WorkArea.y() + WorkArea.height()) p.ry() -= Size.height();
  if (p.x() + Size.width() > WorkArea.x() + WorkArea.width()) p.rx() -= Size.width();
  return p;
}

// ---------------------------------------------------------------------------
// The palette

TPicturePalette::TPicturePalette(const char *Name, QSize Client, TCustomImageList *Images,
                                 const std::vector<int> &Pictures, int Columns, QWidget *Parent)
    : TPopupPalette(Parent), FImages(Images) {
  setObjectName(QString::fromLatin1(Name));
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(Client);
  FPanel = new QWidget(this);
  FPanel->setObjectName(QStringLiteral("Panel1"));
  FPanel->setGeometry(rect());
  // A press between the cells stays on the panel.
  FPanel->setAttribute(Qt::WA_NoMousePropagation);
  for (std::size_t i = 0; i < Pictures.size(); ++i) {
    auto *cell = new TKcImageSquare(FPanel);
    cell->setObjectName(QStringLiteral("KcImageSquare%1").arg(i + 1));
    cell->SetImageList(Images);
    cell->SetImageIndex(Pictures[i]);
    cell->SetHiColor(kHoverColor);
    cell->SetBackColor(clBtnFace);
    cell->SetBorderStyle(TBorderStyle::bsNone);
    cell->SetShowClick(true);
    cell->setAccessibleName(Pictures[i] < 0 ? QStringLiteral("No picture")
                                            : QStringLiteral("Picture %1").arg(Pictures[i]));
    const int column = int(i) % Columns, row = int(i) / Columns;
    cell->setGeometry(1 + column * kGrid, 1 + row * kGrid, kGrid - 1, kGrid - 1);
    cell->OnClick = [this](TKcImageSquare *c) {
      try {
        CellClick(c);
      } catch (const std::exception &) {
        LogCaughtException("picture palette");
        ClosePalette();
      }
    };
    FCells.push_back(cell);
  }
}

TPicturePalette::~TPicturePalette() = default;

TKcImageSquare *TPicturePalette::Cell(int I) const {
  return I >= 0 && I < CellCount() ? FCells[std::size_t(I)] : nullptr;
}

std::vector<int> TPicturePalette::Pictures() const {
  std::vector<int> out;
  for (const TKcImageSquare *c : FCells) out.push_back(c->ImageIndex());
  return out;
}

void TPicturePalette::PopupAt(QPoint At, const QRect &WorkArea) { ShowAt(PlaceAtButton(At, size(), WorkArea)); }

void TPicturePalette::ClosePalette() {
  TPopupPalette::ClosePalette();
  // Made for one use: freed once closed.
  if (!FFreed) {
    FFreed = true;
    deleteLater();
  }
}

// ---------------------------------------------------------------------------
// Still emoticons

TfmSelectPictureMood::TfmSelectPictureMood(TCustomImageList *Images, QWidget *Parent)
    : TPicturePalette("fmSelectPictureMood", QSize(224, 150), Images, std::vector<int>(kImages.begin(), kImages.end()),
                      6, Parent) {
  setAccessibleName(QStringLiteral("Emoticons"));
  Reformat = [](TCustomRichVista &Box) { Box.ReformatDocument(); };
}

void TfmSelectPictureMood::Popup(TCustomRichVista *Target, QPoint At, const QRect &WorkArea) {
  FTarget = Target;
  PopupAt(At, WorkArea);
}

void TfmSelectPictureMood::PickImage(int ImageIndex) {
  TCustomRichVista *target = FTarget.data();
  if (!target || !FImages || ImageIndex < 0 || !FImages->ValidIndex(ImageIndex)) return;
  // At the end of the document, not at the caret.
  target->AddPictureItem(std::string(), ImageIndex, FImages, -1);
  if (Reformat) Reformat(*target);
  ClosePalette();
}

void TfmSelectPictureMood::CellClick(TKcImageSquare *Cell) {
  if (!Cell || !Cell->ImageList()) return;
  PickImage(Cell->ImageIndex());
}

} // namespace kc
