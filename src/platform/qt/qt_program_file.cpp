#include "platform/qt/qt_program_file.h"

#include <QDateTime>
#include <QLocale>

#include <sys/stat.h>

#include "platform/qt/latin1.h"

namespace kestrix::platform::qt {

std::optional<std::string> QtProgramFile::lastModified() {
    // The running file itself, even when another has since been built or copied over its name.
    struct stat program {};
    if (::stat(path_.c_str(), &program) != 0) return std::nullopt;
    const QDateTime modified = QDateTime::fromSecsSinceEpoch(program.st_mtim.tv_sec);
    return toBytes(QLocale::system().toString(modified, QLocale::ShortFormat));
}

}  // namespace kestrix::platform::qt
