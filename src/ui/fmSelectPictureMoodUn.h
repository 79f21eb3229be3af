#pragma once
// The still-emoticon palette: a borderless pop-up of the 24 still emoticons
// of the main image list (image 34 is not offered); a click appends the
// picture to the end of the target input box. Made for each use and freed
// when it closes. Also the placing of every palette at its button, and the
// palette behaviour the user-picture palette shares.
#include <QPointer>

#include <array>
#include <functional>
#include <vector>

#include "platform/CanvasTypes.h"
#include "richtext/controls/RichVista.h"
#include "ui/PopupPaletteUn.h"

namespace kc {

class TCustomImageList;
class TKcImageSquare;

// Where a palette of Size opened at the screen point At goes on the work
// area of its screen: moved up by its height when it would pass the bottom,
// left by its width when it would pass the right edge.
QPoint PlaceAtButton(QPoint At, QSize Size, const QRect &WorkArea);

// A pop-up of picture cells on a 37-pixel grid, freed once closed.
class TPicturePalette : public TPopupPalette {
  Q_OBJECT
public:
  static constexpr int kGrid = 37;
  static constexpr TColor kHoverColor = 0xD2BDB6;

  TPicturePalette(const char *Name, QSize Client, TCustomImageList *Images, const std::vector<int> &Pictures,
                  int Columns, QWidget *Parent);
  ~TPicturePalette() override;

  int CellCount() const { return int(FCells.size()); }
  TKcImageSquare *Cell(int I) const;
  // The image index of each cell, in order.
  std::vector<int> Pictures() const;
  // Shows the palette at a screen point (PlaceAtButton on its screen's work
  // area as given).
  void PopupAt(QPoint At, const QRect &WorkArea);
  void ClosePalette() override;

protected:
  // A cell was clicked.
  virtual void CellClick(TKcImageSquare *Cell) = 0;

  QWidget *FPanel = nullptr;
  TCustomImageList *FImages = nullptr;

private:
  std::vector<TKcImageSquare *> FCells;
  bool FFreed = false;
};

class TfmSelectPictureMood : public TPicturePalette {
  Q_OBJECT
public:
  // The images offered, by row.
  static constexpr std::array<int, 24> kImages = {25, 26, 27, 28, 29, 30, 31, 35, 36, 38, 40, 41,
                                                  42, 43, 44, 45, 46, 47, 48, 49, 33, 37, 39, 32};

  // Images: the main window's 32 x 32 `ilProfilesImage`.
  explicit TfmSelectPictureMood(TCustomImageList *Images, QWidget *Parent = nullptr);

  void Popup(TCustomRichVista *Target, QPoint At, const QRect &WorkArea);
  TCustomRichVista *Target() const { return FTarget.data(); }
  // A click on a cell as the user makes it.
  void PickImage(int ImageIndex);
  // Reformats the target after an insertion (default: ReformatDocument).
  std::function<void(TCustomRichVista &)> Reformat;

protected:
  void CellClick(TKcImageSquare *Cell) override;

private:
  QPointer<TCustomRichVista> FTarget;
};

} // namespace kc
