#include "toolbars/TBarDockPositions.h"

#include <QPointer>

#include "platform/Screen.h"
#include "toolbars/TBarDock.h"

namespace kc::tb {

class TTBFormPositions::Dock final : public TTBPositionsDock {
public:
  explicit Dock(TTBDock *D) : dock(D) {}
  QString DockName() const override { return dock->objectName(); }
  bool DockAllowsDrag() const override { return dock->AllowDrag(); }
  TTBPositionEdge DockEdge() const override { return TTBPositionEdge(int(dock->Position())); }
  void DockBeginUpdate() override { dock->BeginUpdate(); }
  void DockEndUpdate() override {
    if (dock) dock->EndUpdate();
  }
  QPointer<TTBDock> dock;
};

class TTBFormPositions::Bar final : public TTBPositionsBar {
public:
  Bar(const TTBFormPositions *O, TTBCustomDockableWindow *W) : owner(O), bar(W) {}
  QString BarName() const override { return bar->objectName(); }
  bool BarVisible() const override { return bar->Visible(); }
  void SetBarVisible(bool Visible) override { bar->setVisible(Visible); }
  bool BarFloating() const override { return bar->Floating(); }
  TTBPositionsDock *BarDock() const override { return owner->AdapterOf(bar->CurrentDock()); }
  TTBPositionsDock *BarLastDock() const override { return owner->AdapterOf(bar->LastDock()); }
  bool BarUsesLastDock() const override { return bar->UseLastDock(); }
  int BarDockRow() const override { return bar->DockRow(); }
  int BarDockPos() const override { return bar->DockPos(); }
  QPoint BarFloatingPosition() const override { return bar->FloatingPosition(); }
  bool BarMayFloat() const override { return bar->DockMode() == dmCanFloat; }
  bool BarMayDockIn(const TTBPositionsDock *D) const override {
    const TTBDock *dock = static_cast<const Dock *>(D)->dock;
    if (!dock || !(bar->DockableTo() & DockableBit(dock->Position()))) return false;
    return bar->DockMode() != dmCannotFloatOrChangeDocks || dock == bar->CurrentDock();
  }
  void SetBarDockRow(int Row) override { bar->SetDockRow(Row); }
  void SetBarDockPos(int Pos) override { bar->SetDockPos(Pos); }
  void SetBarFloatingPosition(QPoint P) override { bar->SetFloatingPosition(P); }
  void SetBarDock(TTBPositionsDock *D) override {
    if (D) bar->SetCurrentDock(static_cast<Dock *>(D)->dock);
    else bar->SetFloating(true);
  }
  void SetBarLastDock(TTBPositionsDock *D) override { bar->SetLastDock(static_cast<Dock *>(D)->dock); }
  void KeepBarOnScreen() override {
    TTBFloatingWindowParent *fp = bar->FloatParent();
    if (!fp) return;
    std::vector<QRect> areas;
    for (const Monitor &m : monitors()) areas.push_back(m.workArea);
    const QRect now(bar->FloatingPosition(), fp->size());
    const QPoint to = OnScreenPosition(now, areas);
    if (to != now.topLeft()) bar->SetFloatingPosition(to);
  }
  void ArrangeBar() override { bar->Arrange(); }
  void WriteOwnPositions(const TTBPositionWriter &W, const QString &) override {
    bar->WritePositionData(W.WriteInteger, W.WriteString);
  }
  void ReadOwnPositions(const TTBPositionReader &R, const QString &) override {
    bar->ReadPositionData(R.ReadInteger, R.ReadString);
  }
  void BarPlaced() override { bar->DoneReadingPositionData(); }

  const TTBFormPositions *owner;
  TTBCustomDockableWindow *bar;
};

TTBFormPositions::TTBFormPositions(QWidget *Form) {
  if (!Form) return;
  // Floating windows stay children of their form (their floating parent
  // is a tool window of it), so one walk finds them all.
  for (QWidget *w : Form->findChildren<QWidget *>()) {
    if (auto *d = dynamic_cast<TTBDock *>(w)) {
      docks_.push_back(std::make_unique<Dock>(d));
    } else if (auto *b = dynamic_cast<TTBCustomDockableWindow *>(w)) {
      if (!b->ParentForm() || b->ParentForm() == Form) bars_.push_back(std::make_unique<Bar>(this, b));
    }
  }
}

TTBFormPositions::~TTBFormPositions() = default;

std::vector<TTBPositionsDock *> TTBFormPositions::PositionsDocks() const {
  std::vector<TTBPositionsDock *> out;
  for (auto &d : docks_) out.push_back(d.get());
  return out;
}

std::vector<TTBPositionsBar *> TTBFormPositions::PositionsBars() const {
  std::vector<TTBPositionsBar *> out;
  for (auto &b : bars_) out.push_back(b.get());
  return out;
}

TTBFormPositions::Dock *TTBFormPositions::AdapterOf(const TTBDock *D) const {
  if (!D) return nullptr;
  for (auto &d : docks_)
    if (d->dock == D) return d.get();
  return nullptr;
}

void LoadDockablePositions(QWidget *Form, std::string_view KeyText) {
  const TTBFormPositions owner(Form);
  LoadDockablePositions(owner, KeyText);
}

void SaveDockablePositions(QWidget *Form, std::string_view KeyText) {
  const TTBFormPositions owner(Form);
  SaveDockablePositions(owner, KeyText);
}

std::function<void(std::string_view)> DockablePositionsLoader(QWidget *Form) {
  return [form = QPointer<QWidget>(Form)](std::string_view KeyText) {
    if (form) LoadDockablePositions(form.data(), KeyText);
  };
}

std::function<void(std::string_view)> DockablePositionsSaver(QWidget *Form) {
  return [form = QPointer<QWidget>(Form)](std::string_view KeyText) {
    if (form) SaveDockablePositions(form.data(), KeyText);
  };
}

} // namespace kc::tb
