#include "widgets/KcDragDrop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace kc {

namespace {
QStringList localFiles(const QMimeData *data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl &u : data->urls())
    if (u.isLocalFile() && !u.toLocalFile().isEmpty()) files.append(u.toLocalFile());
  return files;
}
} // namespace

TKcDragDrop::TKcDragDrop(QWidget *owner) : QObject(owner), FOwner(owner) { apply(); }

TKcDragDrop::~TKcDragDrop() {
  if (FHooked && FOwner) UnregisterWndProcHook(FOwner, hookMethod(), THookOrder::hoBeforeMsg);
}

TKcHookMethod TKcDragDrop::hookMethod() {
  TKcHookMethod m;
  m.Data = this;
  m.Code = 1;
  m.Call = [this](QObject *c, QEvent *e) { return dropHook(c, e); };
  m.Owner = this;
  return m;
}

void TKcDragDrop::SetAcceptDrag(bool on) {
  FAcceptDrag = on;
  apply();
}

void TKcDragDrop::apply() {
  if (!FOwner) return;
  FOwner->setAcceptDrops(FAcceptDrag);
  if (FAcceptDrag && !FHooked) FHooked = RegisterWndProcHook(FOwner, hookMethod(), THookOrder::hoBeforeMsg);
  else if (!FAcceptDrag && FHooked) FHooked = !UnregisterWndProcHook(FOwner, hookMethod(), THookOrder::hoBeforeMsg);
}

bool TKcDragDrop::dropHook(QObject *, QEvent *event) {
  switch (event->type()) {
  case QEvent::DragEnter:
  case QEvent::DragMove: {
    auto *e = static_cast<QDragMoveEvent *>(event);
    if (localFiles(e->mimeData()).isEmpty()) return false;
    e->setDropAction(Qt::CopyAction);
    e->accept();
    return true;
  }
  case QEvent::Drop: {
    auto *e = static_cast<QDropEvent *>(event);
    const QStringList files = localFiles(e->mimeData());
    if (files.isEmpty()) return false;
    FFiles = files;
    e->setDropAction(Qt::CopyAction);
    e->accept();
    if (OnDrop) OnDrop(this, e->position().toPoint(), FFiles);
    return true;
  }
  default: return false;
  }
}

} // namespace kc
