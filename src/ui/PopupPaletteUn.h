#pragma once
// What every emoticon and picture palette shares: a borderless pop-up that
// Escape or Enter closes (later keys are swallowed), as do a press on its
// background and the loss of activation. What closing means beyond hiding
// (freeing a one-use palette, stopping animations) is each palette's own.
#include <QWidget>

#include <functional>

namespace kc {

class TPopupPalette : public QWidget {
  Q_OBJECT
public:
  explicit TPopupPalette(QWidget *Parent);

  bool Open() const { return FOpen; }
  // Hides and tells the opener; palettes add their own clean-up.
  virtual void ClosePalette();

  // The opener's state follows the palette (the action's checked state, the
  // picture button's pressed look).
  std::function<void(bool Open)> OnOpenChanged;

protected:
  // Shows the palette with its top left at the screen point At.
  void ShowAt(QPoint At);

  void keyPressEvent(QKeyEvent *Event) override;
  void mousePressEvent(QMouseEvent *Event) override;
  void changeEvent(QEvent *Event) override;
  void hideEvent(QHideEvent *Event) override;

private:
  bool FClosing = false;
  bool FOpen = false;
};

} // namespace kc
