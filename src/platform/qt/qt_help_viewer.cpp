#include "platform/qt/qt_help_viewer.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "platform/qt/latin1.h"

namespace kestrix::platform::qt {

namespace {
QStringList helpFolders() {
    QStringList folders{QCoreApplication::applicationDirPath() + QStringLiteral("/../share/kestrix/help")};
#ifdef KESTRIX_HELP_DIR
    folders << QStringLiteral(KESTRIX_HELP_DIR);
#endif
    return folders;
}
}  // namespace

QString QtHelpViewer::locate(const std::string& helpFile) {
    const QString page = QFileInfo(fromBytes(helpFile)).completeBaseName() + QStringLiteral(".html");
    for (const QString& folder : helpFolders()) {
        const QFileInfo candidate(QDir(folder), page);
        if (candidate.isFile()) return candidate.canonicalFilePath();
    }
    return {};
}

QString QtHelpViewer::anchorOf(const std::string& keyword) {
    QString anchor;
    for (const QChar c : fromBytes(keyword).toLower()) {
        if (c.isLetterOrNumber())
            anchor += c;
        else if (!anchor.isEmpty() && !anchor.endsWith(QLatin1Char('-')))
            anchor += QLatin1Char('-');
    }
    while (anchor.endsWith(QLatin1Char('-'))) anchor.chop(1);
    return anchor;
}

void QtHelpViewer::showKeyword(const std::string& helpFile, const std::string& keyword) {
    const QString page = locate(helpFile);
    if (page.isEmpty()) {
        qWarning("The help page for %s is not installed", helpFile.c_str());
        return;
    }
    QUrl url = QUrl::fromLocalFile(page);
    url.setFragment(anchorOf(keyword));
    QDesktopServices::openUrl(url);
}

}  // namespace kestrix::platform::qt
