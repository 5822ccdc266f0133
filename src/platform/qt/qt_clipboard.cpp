#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/qt/latin1.h"

namespace kestrix::platform::qt {

void QtClipboard::setText(const std::string& text) { QGuiApplication::clipboard()->setText(fromBytes(text)); }

std::string QtClipboard::text() { return toBytes(QGuiApplication::clipboard()->text()); }

}  // namespace kestrix::platform::qt
