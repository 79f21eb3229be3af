#include "KcApplication.h"

#include <exception>

#include "ui/fmErrorUn.h"

namespace kc {

bool TKcApplication::notify(QObject *Receiver, QEvent *Event) {
  try {
    return QApplication::notify(Receiver, Event);
  } catch (...) {
    // An exception must not leave a Qt event handler: it is reported here
    // and the event counts as not handled.
    const std::string message = ExceptionMessage(std::current_exception());
    try {
      ApplicationEventsException(FMainForm, message);
    } catch (...) {
      // The report itself failed; the event loop still goes on.
    }
    return false;
  }
}

} // namespace kc
