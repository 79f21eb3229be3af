#pragma once
// Receives local files dropped on its owner window (a text/uri-list of file
// URLs). The last drop's files stay in Files.
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <functional>

#include "widgets/KcWndProcHook.h"

class QWidget;

namespace kc {

class TKcDragDrop : public QObject {
  Q_OBJECT
public:
  using TDropEvent = std::function<void(TKcDragDrop *, QPoint, const QStringList &)>;

  explicit TKcDragDrop(QWidget *owner);
  ~TKcDragDrop() override;

  bool AcceptDrag() const { return FAcceptDrag; }
  void SetAcceptDrag(bool on);
  const QStringList &Files() const { return FFiles; }
  TDropEvent OnDrop;

private:
  bool dropHook(QObject *control, QEvent *event);
  void apply();
  TKcHookMethod hookMethod();

  QPointer<QWidget> FOwner;
  bool FAcceptDrag = true;
  bool FHooked = false;
  QStringList FFiles;
};

} // namespace kc
