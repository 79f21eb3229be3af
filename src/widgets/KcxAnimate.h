#pragma once
// Base of the picture controls of the widget family: a child widget with a
// drawing lock. Qt paints it double-buffered and draws the parent's
// background behind the parts it leaves untouched.
#include <QWidget>
#include <mutex>

namespace kc {

class TKcImageControl : public QWidget {
  Q_OBJECT
public:
  explicit TKcImageControl(QWidget *parent = nullptr);
  ~TKcImageControl() override;

  // The drawing lock: held around every change of what the control shows.
  void Lock() { FLock.lock(); }
  void Unlock() { FLock.unlock(); }

  // Paints the control now (on the GUI thread, where all painting happens).
  void PaintNow();
  bool Drawing() const { return FDrawing; }

protected:
  void paintEvent(QPaintEvent *event) override;
  // Paints the control's picture; the background is already there.
  virtual void PaintImage(QPainter &painter) = 0;
  // After a change of the picture: size it and show it again.
  virtual void PictureChanged();

private:
  std::recursive_mutex FLock;
  bool FDrawing = false;
};

} // namespace kc
