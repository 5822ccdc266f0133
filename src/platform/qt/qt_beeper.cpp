#include "platform/qt/qt_beeper.h"

#include <QApplication>

namespace kestrix::platform::qt {

void QtBeeper::beep() { QApplication::beep(); }

}  // namespace kestrix::platform::qt
