#include "ui/fmSelectPictureUn.h"

#include <QEvent>

#include "widgets/KcImageSquare.h"
#include "widgets/KcTransparentButton.h"

namespace kc {

TfmSelectPicture::TfmSelectPicture(TCustomImageList *Images, QWidget *Parent)
    : TPicturePalette("fmSelectPicture", QSize(187, 113), Images, std::vector<int>(kImages.begin(), kImages.end()), 5,
                      Parent) {
  setAccessibleName(QStringLiteral("User pictures"));
  // A press on the panel between the cells closes too.
  FPanel->installEventFilter(this);
  OnOpenChanged = [this](bool Open) {
    if (FOpener) FOpener->SetDown(Open);
  };
}

void TfmSelectPicture::Popup(TKcTransparentButton *Opener, QPoint At, const QRect &WorkArea) {
  FOpener = Opener;
  PopupAt(At, WorkArea);
}

void TfmSelectPicture::PickImage(int ImageIndex) {
  if (!FOpener) return;
  if (OnPick) OnPick(ImageIndex < 0 ? -1 : ImageIndex);
  ClosePalette();
}

void TfmSelectPicture::CellClick(TKcImageSquare *Cell) {
  if (!Cell || !Cell->ImageList()) return;
  PickImage(Cell->ImageIndex());
}

bool TfmSelectPicture::eventFilter(QObject *Watched, QEvent *Event) {
  if (Watched == FPanel && Event->type() == QEvent::MouseButtonPress) {
    ClosePalette();
    return true;
  }
  return TPicturePalette::eventFilter(Watched, Event);
}

} // namespace kc
