// The hourglass while a long computation runs inline; it goes back whatever way the
// scope is left, so a message box never appears under a busy cursor.
#pragma once

#include <QApplication>
#include <QCursor>

namespace tavrin::ui {

class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace tavrin::ui
