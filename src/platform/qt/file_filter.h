#pragma once

#include <QString>

#include <string>

namespace kestrix::platform::qt {

// "Download Files (*.s)|*.s|All Files (*.*)|*.*" as a file dialog's filter:
// "Download Files (*.s);;All Files (*)". Patterns joined by ';' are joined by blanks, "*.*" is
// every file.
QString toQtFileFilter(const std::string& filter);

}  // namespace kestrix::platform::qt
