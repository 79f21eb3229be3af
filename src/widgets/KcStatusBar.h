#pragma once
// The main window's status bar: panels of text, child controls of its own
// (the two 16 x 16 status images), and the application's hints shown across
// the whole bar while they last.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/CanvasTypes.h"

namespace kc {

struct TStatusPanel {
  QString Text;
  int Width = 50; // the last panel reaches to the bar's end
  // Wider than Width where the text needs it at the bar's font.
  bool FitText = false;
};

class TKcStatusBar : public QWidget {
  Q_OBJECT
public:
  using TNotifyEvent = std::function<void(TKcStatusBar *)>;

  explicit TKcStatusBar(QWidget *parent = nullptr);

  std::vector<TStatusPanel> &Panels() { return FPanels; }
  void SetPanelText(int i, const QString &text);
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool on);
  QString SimpleText() const { return FSimpleText; }
  void SetSimpleText(const QString &t);
  bool AutoHint() const { return FAutoHint; }
  void SetAutoHint(bool on) { FAutoHint = on; }
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor c) { FHintColor = c; }

  TNotifyEvent OnMouseEnter, OnMouseLeave, OnHint;

  // The application's hint changed (empty when the mouse left every control
  // with a hint). True when the bar took it over.
  bool HintAction(const QString &hint);
  // What the bar shows across its width; empty while the panels show.
  QString ShownHint() const { return FHintShown ? FHintText : QString(); }
  // The rectangle of panel i (none while a hint or the simple panel shows).
  QRect PanelRect(int i) const;
  // The width panel i takes (the last one's is what is left of the bar).
  int PanelWidth(int i) const;

protected:
  void paintEvent(QPaintEvent *) override;
  void resizeEvent(QResizeEvent *e) override;
  void enterEvent(QEnterEvent *e) override;
  void leaveEvent(QEvent *e) override;

private:
  void restore();
  std::vector<TStatusPanel> FPanels;
  bool FSimplePanel = false, FAutoHint = false, FHintShown = false;
  QString FSimpleText, FHintText;
  TColor FHintColor = clInfoBk, FSavedHintColor = clInfoBk;
  std::vector<QPointer<QWidget>> FHiddenChildren;
};

} // namespace kc
