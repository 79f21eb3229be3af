#pragma once
// The user-picture palette of the profile dialog: the pictures 11..24 of the
// main image list and a last cell without a picture (-1). A click hands the
// picture to the dialog (OnPick) and closes; the picture button that opened
// it shows pressed while it is open. Made for each use and freed when it
// closes.
#include <QPointer>

#include <array>
#include <functional>

#include "ui/fmSelectPictureMoodUn.h"
#include "widgets/KcTransparentButton.h"

namespace kc {

class TKcTransparentButton;

class TfmSelectPicture : public TPicturePalette {
  Q_OBJECT
public:
  static constexpr std::array<int, 15> kImages = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, -1};

  // Images: the main window's 32 x 32 `ilProfilesImage`.
  explicit TfmSelectPicture(TCustomImageList *Images, QWidget *Parent = nullptr);

  // Opened by Opener (shown pressed until the palette closes).
  void Popup(TKcTransparentButton *Opener, QPoint At, const QRect &WorkArea);
  TKcTransparentButton *Opener() const { return FOpener.data(); }
  // The chosen picture (-1: none): the profile dialog sets it, updates its
  // picture button and enables its Apply button.
  std::function<void(int ImageIndex)> OnPick;
  // A click on a cell as the user makes it.
  void PickImage(int ImageIndex);

protected:
  void CellClick(TKcImageSquare *Cell) override;
  bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
  QPointer<TKcTransparentButton> FOpener;
};

} // namespace kc
