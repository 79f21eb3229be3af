#pragma once
// The GIF animator control: shows a GIF picture and plays it, composing each
// frame onto the logical screen by the disposal rules.
#include "widgets/KcGIF.h"
#include "widgets/KcGIFCompose.h"
#include "widgets/KcTimer.h"
#include "widgets/KcxAnimate.h"

#include <functional>

class QIODevice;

namespace kc {

class TKcGIFAnimator : public TKcImageControl {
  Q_OBJECT
public:
  using TNotifyEvent = std::function<void(TKcGIFAnimator *)>;

  explicit TKcGIFAnimator(QWidget *parent = nullptr);
  ~TKcGIFAnimator() override;

  TKcGIFImage &Image() { return FImage; }
  void SetImage(const TKcGIFImage &picture);
  void SetImage(const QImage &picture);
  // The form-data property Image.Data.
  void ReadImageData(QIODevice &stream);
  void WriteImageData(QIODevice &stream) { FImage.WriteData(stream); }

  bool KcxAnimate() const { return FAnimating; }
  void SetKcxAnimate(bool on);
  bool AsyncDrawing() const { return FAsyncDrawing; }
  void SetAsyncDrawing(bool on);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool on);
  bool Center() const { return FCenter; }
  void SetCenter(bool on);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool on);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool on);
  bool Loop() const { return FLoop; }
  void SetLoop(bool on) { FLoop = on; }
  int FrameIndex() const { return FFrameIndex; }
  void SetFrameIndex(int index);

  // The delay of the current frame as the timer plays it: 0 for a still
  // picture, else the frame's delay kept within 50..10,000 ms.
  int FrameDelay() const;

  TKcTimer &FrameTimer() { return FTimer; }

  TNotifyEvent OnStart, OnStop, OnChange, OnFrameChanged;

  QSize sizeHint() const override;

protected:
  void PaintImage(QPainter &painter) override;
  void PictureChanged() override;
  virtual void Change();
  virtual void FrameChanged();
  virtual void Start();
  virtual void Stop();
  // An animation out of sight (hidden, or on a page not shown) stops its
  // timer at the next tick and starts it again when it shows.
  void showEvent(QShowEvent *Event) override;

private:
  void imageChanged();
  void frameStep();
  void autoSize();
  // Sets an option of how the picture is drawn and shows the change; recompose
  // when the composed frames depend on it.
  void setDrawOption(bool &option, bool on, bool recompose);

  bool FAnimating = false;
  bool FParked = false; // animating, but the timer waits for a show
  TKcGIFImage FImage;
  TKcTimer FTimer;
  int FFrameIndex = 0;
  bool FStretch = false;
  bool FLoop = true;
  bool FCenter = false;
  bool FTransparent = true;
  bool FAutoSize = true;
  bool FAsyncDrawing = false;
  bool FLoading = false;
  bool FDestroying = false;
  TGIFComposer FCache;
};

} // namespace kc
