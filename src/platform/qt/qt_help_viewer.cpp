#include "platform/qt/qt_help_viewer.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "platform/manual_location.h"
#include "platform/qt/latin1.h"

namespace kestrix::platform::qt {

QString QtHelpViewer::locate(const std::string& helpFile) {
    const QString page = QFileInfo(fromBytes(helpFile)).completeBaseName() + QStringLiteral(".html");
    return QFile::decodeName(QByteArray::fromStdString(locateManual(QFile::encodeName(page).toStdString()).found));
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
