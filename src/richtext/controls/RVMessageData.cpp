#include "richtext/controls/RVMessageData.h"

#include <QCoreApplication>

namespace kc {

TRVDeferredEvent::TRVDeferredEvent(std::unique_ptr<TRVMessageData> Data)
    : QEvent(EventType()), FData(std::move(Data)) {}

TRVDeferredEvent::~TRVDeferredEvent() = default;

QEvent::Type TRVDeferredEvent::EventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

QEvent::Type TRVDragStartEvent::EventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void PostDeferredEvent(QObject *RootView, std::unique_ptr<TRVMessageData> Data) {
  if (!RootView || !Data) return;
  QCoreApplication::postEvent(RootView, new TRVDeferredEvent(std::move(Data)));
}

} // namespace kc
