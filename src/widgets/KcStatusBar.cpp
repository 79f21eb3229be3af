#include "widgets/KcStatusBar.h"

#include <QEnterEvent>
#include <QPainter>

#include "platform/DesktopMetrics.h"
#include "widgets/KcAlign.h"
#include "widgets/KcDraw.h"

namespace kc {

TKcStatusBar::TKcStatusBar(QWidget *parent) : QWidget(parent) { resize(200, 19); }

void TKcStatusBar::SetPanelText(int i, const QString &text) {
  if (i < 0 || i >= static_cast<int>(FPanels.size())) return;
  FPanels[i].Text = text;
  update();
}

void TKcStatusBar::SetSimplePanel(bool on) {
  FSimplePanel = on;
  update();
}

void TKcStatusBar::SetSimpleText(const QString &t) {
  FSimpleText = t;
  update();
}

int TKcStatusBar::PanelWidth(int i) const {
  if (i < 0 || i >= static_cast<int>(FPanels.size())) return 0;
  const TStatusPanel &panel = FPanels[i];
  int w = std::max(0, panel.Width);
  // The text's width at the bar's font, with the room the frame and the
  // text's margins take.
  if (panel.FitText && !panel.Text.isEmpty()) w = std::max(w, fontMetrics().horizontalAdvance(panel.Text) + 8);
  return w;
}

QRect TKcStatusBar::PanelRect(int i) const {
  if (FHintShown || FSimplePanel || i < 0 || i >= static_cast<int>(FPanels.size())) return {};
  int left = 0;
  for (int k = 0; k < i; ++k) left += PanelWidth(k);
  const bool last = i + 1 == static_cast<int>(FPanels.size());
  const int w = last ? std::max(0, width() - left) : PanelWidth(i);
  return QRect(left, 0, w, height()).adjusted(0, 2, -2, 0);
}

bool TKcStatusBar::HintAction(const QString &hint) {
  if (!FAutoHint || FSimplePanel) {
    restore();
    return false;
  }
  if (hint.trimmed().isEmpty()) {
    restore();
    return false;
  }
  if (!FHintShown) {
    for (QWidget *c : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
      // Not yet shown counts as visible: what is hidden is what was hidden.
      if (!c->isHidden()) {
        FHiddenChildren.emplace_back(c);
        c->hide();
      }
  }
  FHintShown = true;
  FHintText = hint;
  if (OnHint) OnHint(this);
  update();
  return true;
}

void TKcStatusBar::restore() {
  for (const QPointer<QWidget> &c : FHiddenChildren)
    if (c) c->show();
  FHiddenChildren.clear();
  if (FHintShown) {
    FHintShown = false;
    FHintText.clear();
    update();
  }
}

void TKcStatusBar::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.fillRect(rect(), QColorOf(clBtnFace));
  p.setPen(QColorOf(clBtnText));
  if (FHintShown || FSimplePanel) {
    const QString text = FHintShown ? FHintText : FSimpleText;
    // The hint is written across the bar without borders.
    const Qt::Alignment side = layoutDirection() == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft;
    p.drawText(rect().adjusted(2, 2, -2, 0), side | Qt::AlignVCenter | Qt::TextSingleLine, text);
    return;
  }
  for (int i = 0; i < static_cast<int>(FPanels.size()); ++i) {
    QRect r = PanelRect(i);
    if (r.width() <= 0) continue;
    Frame3D(p, r, QColorOf(clBtnShadow), QColorOf(clBtnHighlight), 1);
    p.setPen(QColorOf(clBtnText));
    p.drawText(r.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, FPanels[i].Text);
  }
}

void TKcStatusBar::resizeEvent(QResizeEvent *e) {
  QWidget::resizeEvent(e);
  if (auto *l = qobject_cast<TKcAlignLayout *>(layout())) l->Realign();
}

void TKcStatusBar::enterEvent(QEnterEvent *e) {
  FSavedHintColor = applicationHintColor();
  setApplicationHintColor(FHintColor);
  if (OnMouseEnter) OnMouseEnter(this);
  QWidget::enterEvent(e);
}

void TKcStatusBar::leaveEvent(QEvent *e) {
  setApplicationHintColor(FSavedHintColor);
  if (OnMouseLeave) OnMouseLeave(this);
  QWidget::leaveEvent(e);
}

} // namespace kc
