#pragma once
// The rename editor of a user group: a borderless line edit laid over the
// group box's caption band. Enter commits and closes, Escape closes, and
// losing the focus closes without committing. It never runs an event loop
// of its own: the answer comes through OnCommit.
#include <QPointer>
#include <QWidget>

#include <functional>

class QLineEdit;

namespace kc {

class TglGroupBox;

class TfmEditor : public QWidget {
public:
  static constexpr int kMaxLength = 100;

  explicit TfmEditor(TglGroupBox &Box);
  // Shows the editor over the box's caption band with Text, selected.
  void Open(const QString &Text);
  QLineEdit *edEditor = nullptr;
  TglGroupBox *Box() const { return FBox; }
  // The text as typed; called once, before the editor closes.
  std::function<void(const QString &Text)> OnCommit;
  // Where the editor goes on the screen for a box of that geometry.
  static QRect EditorRect(const TglGroupBox &Box);

protected:
  bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
  void Finish(bool Commit);
  QPointer<TglGroupBox> FBox;
  bool FClosing = false;
};

} // namespace kc
