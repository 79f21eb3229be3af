#pragma once
// A panel that can leave its background to its parent, draw a flat
// one-pixel border, and wrap its caption; the cells of the animated-emoticon
// palette.
#include <QWidget>
#include <functional>

#include "platform/CanvasTypes.h"
#include "widgets/KcSplit.h"

namespace kc {

class TKcPanel : public QWidget {
  Q_OBJECT
public:
  using TNotifyEvent = std::function<void(TKcPanel *)>;

  explicit TKcPanel(QWidget *parent = nullptr);

  QString Caption() const { return FCaption; }
  void SetCaption(const QString &c) { FCaption = c, update(); }
  Qt::Alignment Alignment = Qt::AlignHCenter;
  TBevelCut BevelOuter = TBevelCut::bvRaised, BevelInner = TBevelCut::bvNone;
  int BevelWidth = 1, BorderWidth = 0;
  TColor Color = clBtnFace;
  TColor HintColor = clInfoBk;
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool on);
  bool MultiLine = false, FlatBorder = false;
  TColor FlatBorderColor = clBtnShadow;

  TNotifyEvent OnMouseEnter, OnMouseLeave;

  // Repaints; a transparent panel has its parent repainted under it.
  void Invalidate();
  QRect CaptionRect() const;

protected:
  void paintEvent(QPaintEvent *) override;
  void enterEvent(QEnterEvent *e) override;
  void leaveEvent(QEvent *e) override;

private:
  QString FCaption;
  bool FTransparent = false;
  TColor FSavedHintColor = clInfoBk;
};

} // namespace kc
