#include "widgets/KcAlign.h"

#include <algorithm>
#include <vector>

#include <QVariant>
#include <QWidget>

namespace kc {

namespace {
constexpr const char *kAlignProperty = "kcAlign";
}

TAlign Align(const QWidget *w) { return w ? static_cast<TAlign>(w->property(kAlignProperty).toInt()) : TAlign::alNone; }

void SetAlign(QWidget *w, TAlign a) {
  if (!w) return;
  w->setProperty(kAlignProperty, static_cast<int>(a));
  if (QWidget *p = w->parentWidget())
    if (TKcAlignLayout *l = AlignLayoutOf(p)) {
      if (l->indexOf(w) < 0) l->addWidget(w);
      l->Realign();
    }
}

TKcAlignLayout *AlignLayoutOf(QWidget *parent) {
  if (!parent) return nullptr;
  if (auto *l = qobject_cast<TKcAlignLayout *>(parent->layout())) return l;
  if (parent->layout()) return nullptr;
  return new TKcAlignLayout(parent);
}

TKcAlignLayout::TKcAlignLayout(QWidget *parent) : QLayout(parent) {
  setContentsMargins(0, 0, 0, 0);
  setSpacing(0);
}

TKcAlignLayout::~TKcAlignLayout() {
  while (!FItems.isEmpty()) delete FItems.takeFirst();
}

void TKcAlignLayout::addItem(QLayoutItem *item) { FItems.append(item); }
QLayoutItem *TKcAlignLayout::itemAt(int index) const { return FItems.value(index); }
QLayoutItem *TKcAlignLayout::takeAt(int index) {
  return index >= 0 && index < FItems.size() ? FItems.takeAt(index) : nullptr;
}
QSize TKcAlignLayout::sizeHint() const { return parentWidget() ? parentWidget()->size() : QSize(0, 0); }

void TKcAlignLayout::Realign() {
  if (parentWidget()) setGeometry(parentWidget()->rect());
}

void TKcAlignLayout::setGeometry(const QRect &r) {
  QLayout::setGeometry(r);
  if (!isEnabled()) return;
  QRect rest = r;
  auto byAlign = [&](TAlign a) {
    std::vector<QWidget *> ws;
    for (QLayoutItem *it : FItems)
      if (QWidget *w = it->widget(); w && !w->isHidden() && Align(w) == a) ws.push_back(w);
    // The order of their current places on that edge; ties keep the order
    // they were added in.
    std::stable_sort(ws.begin(), ws.end(), [a](QWidget *x, QWidget *y) {
      switch (a) {
      case TAlign::alTop: return x->y() < y->y();
      case TAlign::alBottom: return x->geometry().bottom() > y->geometry().bottom();
      case TAlign::alLeft: return x->x() < y->x();
      case TAlign::alRight: return x->geometry().right() > y->geometry().right();
      default: return false;
      }
    });
    return ws;
  };
  // Docked controls keep their own thickness even when the parent is too
  // small for them; only the client control shrinks, never below zero.
  for (QWidget *w : byAlign(TAlign::alTop)) {
    const int h = w->height();
    w->setGeometry(rest.left(), rest.top(), std::max(0, rest.width()), h);
    rest.setTop(rest.top() + h);
  }
  for (QWidget *w : byAlign(TAlign::alBottom)) {
    const int h = w->height();
    w->setGeometry(rest.left(), rest.bottom() + 1 - h, std::max(0, rest.width()), h);
    rest.setBottom(rest.bottom() - h);
  }
  for (QWidget *w : byAlign(TAlign::alLeft)) {
    const int wd = w->width();
    w->setGeometry(rest.left(), rest.top(), wd, std::max(0, rest.height()));
    rest.setLeft(rest.left() + wd);
  }
  for (QWidget *w : byAlign(TAlign::alRight)) {
    const int wd = w->width();
    w->setGeometry(rest.right() + 1 - wd, rest.top(), wd, std::max(0, rest.height()));
    rest.setRight(rest.right() - wd);
  }
  for (QWidget *w : byAlign(TAlign::alClient))
    w->setGeometry(rest.left(), rest.top(), std::max(0, rest.width()), std::max(0, rest.height()));
}

} // namespace kc
