#pragma once
// Docking of child controls to their parent's edges, as the class library
// arranges aligned controls: top ones stacked from the top edge in the order
// of their tops, then bottom, left and right ones, and the client one in
// what is left. A control keeps its own height (top, bottom) or width (left,
// right); the parent's size decides the rest.
#include <QLayout>
#include <QList>

class QWidget;

namespace kc {

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

TAlign Align(const QWidget *w);
// Stores the alignment on the control and lays its parent out again.
void SetAlign(QWidget *w, TAlign a);

// The layout of a parent whose children dock by their alignment. Children
// with alNone keep their geometry. Disabling the layout (QLayout::setEnabled)
// holds every child where it is.
class TKcAlignLayout : public QLayout {
  Q_OBJECT
public:
  explicit TKcAlignLayout(QWidget *parent);
  ~TKcAlignLayout() override;

  void addItem(QLayoutItem *item) override;
  QLayoutItem *itemAt(int index) const override;
  QLayoutItem *takeAt(int index) override;
  int count() const override { return static_cast<int>(FItems.size()); }
  QSize sizeHint() const override;
  QSize minimumSize() const override { return QSize(0, 0); }
  void setGeometry(const QRect &r) override;
  // Arranges the children now (after a child changed its size or alignment).
  void Realign();

private:
  QList<QLayoutItem *> FItems;
};

// The layout of a parent, made on first use; none when the parent is laid
// out by a layout of another kind.
TKcAlignLayout *AlignLayoutOf(QWidget *parent);

} // namespace kc
