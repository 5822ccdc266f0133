#include "platform/qt/qt_program_file.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include "platform/qt/latin1.h"

namespace kestrix::platform::qt {

std::optional<std::string> QtProgramFile::lastModified() {
    const QFileInfo program(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")));
    if (!program.exists()) return std::nullopt;
    return toBytes(QLocale::system().toString(program.lastModified(), QLocale::ShortFormat));
}

}  // namespace kestrix::platform::qt
