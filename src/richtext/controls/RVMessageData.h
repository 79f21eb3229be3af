#pragma once
// Events that are not fired where they arise (inside a nested editor of a
// table cell) but posted to the root view as a record and fired when the
// event loop delivers it, after the handling that posted it has ended.
// Records are owned by the posted event: fired or not, they are freed with
// it, and Qt frees the events still queued for a view that is destroyed.
#include <QEvent>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>

#include "richtext/document/CRVFData.h"

class QObject;

namespace kc {

// Kind selects the event: 0 double click, 1 jump, 2 mouse up, 3 mouse
// down, 4 click, 5 the view's double click, 6 mouse move, 7 drop, 8 end
// of a drag.
class TRVMessageData {
public:
  virtual ~TRVMessageData() = default;
  uint8_t Kind = 0;
};

class TRVClickMessageData : public TRVMessageData {};

class TRVDblClickMessageData : public TRVMessageData {
public:
  // The record's own copy: the editor it came from may be gone.
  std::string ClickedWord;
  int32_t Style = 0;
};

class TRVJumpMessageData : public TRVMessageData {
public:
  int32_t id = 0;
};

// Coordinates are client coordinates of the root view.
class TRVMouseMoveMessageData : public TRVMessageData {
public:
  int32_t X = 0, Y = 0;
  int32_t ItemNo = -1;
  TRVShiftState Shift = 0;
};

class TRVMouseUpDownMessageData : public TRVMouseMoveMessageData {
public:
  TRVMouseButton Button = rvmbLeft;
};

class TRVDNDMessageData : public TRVMessageData {
public:
  int32_t X = 0, Y = 0;
  // The drag source or drop target; null once it is gone.
  QPointer<QObject> Obj;
};

// The Qt event that carries a record to the root view.
class TRVDeferredEvent : public QEvent {
public:
  explicit TRVDeferredEvent(std::unique_ptr<TRVMessageData> Data);
  ~TRVDeferredEvent() override;
  static QEvent::Type EventType();
  TRVMessageData *Data() const { return FData.get(); }

private:
  std::unique_ptr<TRVMessageData> FData;
};

// Posts the record to the root view; the event loop delivers records in
// the order posted.
void PostDeferredEvent(QObject *RootView, std::unique_ptr<TRVMessageData> Data);

// The view's own request to start dragging its selection once the press
// that asked for it has been handled.
class TRVDragStartEvent : public QEvent {
public:
  TRVDragStartEvent() : QEvent(EventType()) {}
  static QEvent::Type EventType();
};

} // namespace kc
