#pragma once
// A group box whose caption band collapses the box to the band and expands
// it again when clicked; the user list stacks one per user group. It draws
// its frame, caption band, glyph and caption itself. Boxes of one window
// with the same GroupIndex can act as an accordion.
#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "widgets/glCommCl.h"

namespace kc {

class TglGroupBox : public QWidget {
  Q_OBJECT
public:
  using TNotifyEvent = std::function<void(TglGroupBox *)>;
  static constexpr TglGrBoxOptions kDefaultOptions = fgoCanCollapse | fgoFilledCaption | fgoFluentlyCollapse |
                                                     fgoFluentlyExpand | fgoHideChildrenWhenCollapsed |
                                                     fgoSaveChildFocus;

  explicit TglGroupBox(QWidget *parent = nullptr);
  ~TglGroupBox() override;

  // The user list's fields: the group number, the name and the group's
  // identifier (kept in the hint).
  int Tag() const { return FTag; }
  void SetTag(int t) { FTag = t; }
  QString Caption() const { return FCaption; }
  void SetCaption(const QString &c);
  QString Hint() const { return toolTip(); }
  void SetHint(const QString &h) { setToolTip(h); }

  bool Collapsed() const { return FCollapsed; }
  // The plain change: no group rules, no events.
  void SetCollapsed(bool on);
  // The user's collapse or expand, with the group rules and the events.
  void ChangeCollapsed(bool collapse);
  int FullHeight() const { return FFullHeight; }
  void SetFullHeight(int h) { FFullHeight = h; }

  TglGrBoxOptions Options() const { return FOptions; }
  void SetOptions(TglGrBoxOptions o);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int i);
  TCaptionAlignment CaptionAlignment() const { return FCaptionAlignment; }
  void SetCaptionAlignment(TCaptionAlignment a);
  TglTextStyle CaptionTextStyle() const { return FCaptionTextStyle; }
  void SetCaptionTextStyle(TglTextStyle s);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool on);
  bool TransparentCaption() const { return FTransparentCaption; }
  void SetTransparentCaption(bool on);
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool on); // children follow
  // Between BeginLoading and EndLoading (reading a stored description) no
  // group rule, event or resizing applies.
  void BeginLoading() { FLoading = true; }
  void EndLoading() { FLoading = false; }

  TglBevel &Border() { return FBorder; }
  TglBevel &CaptionBorder() { return FCaptionBorder; }
  TGradient &Gradient() { return FGradient; }
  TGradient &CaptionGradient() { return FCaptionGradient; }
  TPointClass &CaptionShift() { return FCaptionShift; }
  TglGrBoxColors &Colors() { return FColors; }
  TIllumination &Illumination() { return FIllumination; }
  // Made empty on first read.
  QImage &GlyphCollapsed() { return FGlyphCollapsed; }
  QImage &GlyphExpanded() { return FGlyphExpanded; }
  void SetGlyphCollapsed(const QImage &g);
  void SetGlyphExpanded(const QImage &g);

  TNotifyEvent AfterPaint, OnCollapsed, OnExpanded;

  // The caption band (right and bottom outside) as painting places it;
  // empty without a caption.
  QRect CaptionRect() const;
  // Where the body frame starts.
  int BodyTop() const;

protected:
  // The caption's single-line extent in the box font; the whole geometry of
  // band and frame follows from it.
  virtual QSize CaptionTextExtent() const;
  void paintEvent(QPaintEvent *) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseMoveEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;

private:
  void DoCollapse(bool collapse);
  QList<TglGroupBox *> groupMates() const;

  int FTag = 0;
  QString FCaption;
  bool FCollapsed = false;
  int FFullHeight = 0;
  TglGrBoxOptions FOptions = kDefaultOptions;
  int FGroupIndex = 0;
  TCaptionAlignment FCaptionAlignment = TCaptionAlignment::fcaNone;
  TglTextStyle FCaptionTextStyle = TglTextStyle::fstNone;
  bool FTransparent = false, FTransparentCaption = false;
  bool FLoading = false;
  TglBevel FBorder, FCaptionBorder;
  TGradient FGradient, FCaptionGradient;
  TPointClass FCaptionShift;
  TglGrBoxColors FColors;
  TIllumination FIllumination;
  QImage FGlyphCollapsed, FGlyphExpanded;
  QRect FLastCaptionRect;
  bool FDragScrolling = false;
  int FDragStartY = 0;
};

} // namespace kc
