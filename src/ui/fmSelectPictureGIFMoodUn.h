#pragma once
// The animated-emoticon palette and catalogue: a borderless window of 23
// cells, each with a GIF animator numbered 0..22. Made once and only hidden
// between uses, because every receiver takes the picture of an emoticon
// number from here. It animates only under the mouse.
#include <QByteArray>
#include <QPointer>
#include <array>
#include <functional>
#include <string>

#include "richtext/controls/RichVista.h"
#include "ui/PopupPaletteUn.h"

namespace kc {

class TKcGIFAnimator;
class TKcPanel;

class TfmSelectPictureGIFMood : public TPopupPalette {
  Q_OBJECT
public:
  static constexpr int kCount = 23;
  // GIF file bytes of emoticon Number (0..22); empty when there is none.
  using TGifLoader = std::function<QByteArray(int Number)>;

  explicit TfmSelectPictureGIFMood(const TGifLoader &Loader, QWidget *Parent = nullptr);
  ~TfmSelectPictureGIFMood() override;

  // The animator of emoticon Number; none for a number out of range or one
  // whose picture could not be read.
  TKcGIFAnimator *FindAnimatorByTag(int Number) const;
  // The first animator in a cell, or none.
  static TKcGIFAnimator *FindAnimator(const TKcPanel *Cell);
  // The emoticon number of a catalogue animator, -1 for any other.
  int TagOf(const TKcGIFAnimator *Animator) const;
  TKcPanel *Cell(int Number) const;
  void StopAllAnimations();

  // ---------------------------------------------------------- palette
  // Shows the palette at a screen point for Target (the active input box).
  void Popup(TCustomRichVista *Target, const QPoint &At);
  TCustomRichVista *Target() const { return FTarget.data(); }
  // A click on emoticon Number as the user makes it: appends a copy to the
  // target's end unless it holds 5 already, then hides.
  void PickEmoticon(int Number);
  // Hides with all animations stopped and the opener fields cleared.
  void ClosePalette() override;

  // The information box of a refused sixth animation (default: a message
  // box).
  std::function<void(const std::string &Text)> ShowInformation;
  // Reformats the target after an insertion (default: ReformatDocument).
  std::function<void(TCustomRichVista &)> Reformat;

protected:
  bool eventFilter(QObject *Watched, QEvent *Event) override;
  void hideEvent(QHideEvent *Event) override;

private:
  void build(const TGifLoader &Loader);
  void hoverCell(TKcPanel *Cell, bool Inside);

  QWidget *FPanel = nullptr;
  std::array<TKcPanel *, kCount> FCells{};
  std::array<TKcGIFAnimator *, kCount> FAnimators{};
  QPointer<TCustomRichVista> FTarget;
};

} // namespace kc
