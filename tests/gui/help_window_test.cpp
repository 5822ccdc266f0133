// The help window on the shipped manual, the manual's own links, and the running file's date.

#include <QAbstractTextDocumentLayout>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>

#include <gtest/gtest.h>

#include "gui_test_support.h"
#include "platform/qt/latin1.h"
#include "platform/qt/qt_help_viewer.h"
#include "platform/qt/qt_program_file.h"

namespace kestrix::platform::qt {
namespace {

// Where the block holding the anchor lies in the browser's document, in pixels from its top
// (to the pixel: the scroll bar rounds).
int anchorTop(QTextBrowser& browser, const QString& anchor) {
    QTextDocument* document = browser.document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            if (fragment.fragment().charFormat().anchorNames().contains(anchor))
                return static_cast<int>(document->documentLayout()->blockBoundingRect(block).top());
        if (block.charFormat().anchorNames().contains(anchor))
            return static_cast<int>(document->documentLayout()->blockBoundingRect(block).top());
    }
    return -1;
}

TEST(HelpWindow, OpensTheManualAtTheKeywordsAnchorAndComesForwardAgain) {
    gui_test::application();
    QtHelpViewer help;
    ASSERT_EQ(help.showKeyword("kestrix.html", "Kestrix Help"), "");
    QTextBrowser* browser = help.browser();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(help.window()->isVisible());
    EXPECT_EQ(help.window()->windowTitle(), "Kestrix Help");
    EXPECT_EQ(browser->source().fileName(), "kestrix.html");
    EXPECT_EQ(browser->source().fragment(), "kestrix-help");
    EXPECT_NEAR(anchorTop(*browser, "kestrix-help"), browser->verticalScrollBar()->value(), 1);

    // A topic further down: the page scrolls to it (as far as the page goes).
    ASSERT_EQ(help.showKeyword("kestrix.html", "Troubleshooting"), "");
    const int top = anchorTop(*browser, "troubleshooting");
    ASSERT_GT(top, 0);
    EXPECT_NEAR(browser->verticalScrollBar()->value(), std::min(top, browser->verticalScrollBar()->maximum()), 1);
    EXPECT_GT(browser->verticalScrollBar()->value(), 0);

    // Help once more: the same window, back at the start.
    QWidget* first = help.window();
    help.window()->hide();
    ASSERT_EQ(help.showKeyword("kestrix.hlp", "Kestrix Help"), "");
    EXPECT_EQ(help.window(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_NEAR(browser->verticalScrollBar()->value(), anchorTop(*browser, "kestrix-help"), 1);
    EXPECT_TRUE(browser->isBackwardAvailable());

    // Find: the next place, round to the start after the last one; a word not there is said so.
    auto* find = first->findChild<QLineEdit*>();
    ASSERT_NE(find, nullptr);
    find->setText(QStringLiteral("adduser"));
    QMetaObject::invokeMethod(find, "returnPressed");
    EXPECT_EQ(browser->textCursor().selectedText(), "adduser");
    const int firstPlace = browser->textCursor().position();
    for (int i = 0; i < 10 && browser->textCursor().position() != firstPlace - 1; ++i) {
        QMetaObject::invokeMethod(find, "returnPressed");
        if (browser->textCursor().position() == firstPlace) break;
    }
    EXPECT_EQ(browser->textCursor().position(), firstPlace);  // went round
    find->setText(QStringLiteral("no such words here"));
    QMetaObject::invokeMethod(find, "returnPressed");
    bool said = false;
    for (QLabel* label : first->findChildren<QLabel*>()) said = said || label->text() == "Not found";
    EXPECT_TRUE(said);
}

// Every picture and line of the manual fits the help window's width as it opens: nothing needs
// scrolling sideways.
// Help asked for from a window opens on that window's screen, all of it on the screen, wherever
// the window stands on it. Run with two screens, one smaller than the help window's own size
// (the test gui.HelpWindowOnTwoScreens), each screen is tried.
TEST(HelpWindow, OpensWhollyOnTheScreenOfTheWindowItWasAskedFrom) {
    gui_test::application();
    if (const QByteArray screens = qgetenv("KESTRIX_TEST_SCREENS"); !screens.isEmpty()) {
        ASSERT_EQ(QGuiApplication::screens().size(), screens.toInt());
    }
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect available = screen->availableGeometry();
        for (const QPoint corner : {available.topLeft(), available.bottomRight() - QPoint(200, 150)}) {
            SCOPED_TRACE(screen->name().toStdString() + " at " + std::to_string(corner.x()) + "," +
                         std::to_string(corner.y()));
            QWidget origin;
            origin.setGeometry(QRect(corner, QSize(200, 150)));
            origin.show();
            origin.activateWindow();
            ASSERT_TRUE(gui_test::serveEventsUntil([&] { return QApplication::activeWindow() == &origin; }));
            QtHelpViewer help;
            ASSERT_EQ(help.showKeyword("kestrix.html", "Kestrix Help"), "");
            gui_test::serveEventsUntil([] { return false; }, std::chrono::milliseconds(50));
            const QRect placed = help.window()->frameGeometry();
            EXPECT_TRUE(available.contains(placed))
                << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
            EXPECT_GE(placed.width(), 400);
        }
    }
}

TEST(HelpWindow, TheManualFitsTheWindowsWidth) {
    gui_test::application();
    QtHelpViewer help;
    ASSERT_EQ(help.showKeyword("kestrix.html", "Kestrix Help"), "");
    QTextBrowser* browser = help.browser();
    ASSERT_NE(browser, nullptr);
    EXPECT_LE(browser->document()->size().width(), browser->viewport()->width());
}

TEST(HelpWindow, AMissingManualSaysWhereItWasLookedFor) {
    gui_test::application();
    QtHelpViewer help;
    const QStringList candidates = QtHelpViewer::candidatePaths("nosuch.hlp");
    ASSERT_FALSE(candidates.isEmpty());
    const std::string reason = help.showKeyword("nosuch.hlp", "Kestrix Help");
    EXPECT_NE(reason.find("could not be found"), std::string::npos);
    for (const QString& candidate : candidates) {
        EXPECT_TRUE(candidate.endsWith("/nosuch.html"));
        EXPECT_NE(reason.find(toBytes(candidate)), std::string::npos) << reason;
    }
    EXPECT_EQ(help.window(), nullptr);
    EXPECT_EQ(QtHelpViewer::firstExisting({"/no/such/a.html", "/no/such/b.html"}), "");
}

// Every page, picture and anchor the manual refers to is there, and every picture is used.
TEST(Manual, EveryLinkInsideTheManualResolves) {
    gui_test::application();
    const QString start = QtHelpViewer::locate("kestrix.hlp");
    ASSERT_FALSE(start.isEmpty());
    const QDir root = QFileInfo(start).dir();
    const QRegularExpression reference(QStringLiteral(R"re((?:href|src)\s*=\s*"([^"]*)")re"));
    const QRegularExpression anchor(QStringLiteral(R"re((?:id|name)\s*=\s*"([^"]*)")re"));
    QSet<QString> used;
    int links = 0;
    QDirIterator pages(root.path(), {QStringLiteral("*.html")}, QDir::Files, QDirIterator::Subdirectories);
    while (pages.hasNext()) {
        const QString page = pages.next();
        QFile file(page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        for (auto match = reference.globalMatch(html); match.hasNext();) {
            const QString target = match.next().captured(1);
            if (target.startsWith(QStringLiteral("http")) || target.startsWith(QStringLiteral("mailto:"))) continue;
            ++links;
            const QString path = target.section(QLatin1Char('#'), 0, 0);
            const QString fragment = target.section(QLatin1Char('#'), 1);
            const QString file = QUrl::fromPercentEncoding(path.toUtf8());
            const QString resolved = path.isEmpty() ? page : QDir::cleanPath(QFileInfo(page).dir().filePath(file));
            ASSERT_TRUE(QFileInfo(resolved).isFile()) << page.toStdString() << ": " << target.toStdString();
            used.insert(QFileInfo(resolved).canonicalFilePath());
            if (fragment.isEmpty()) continue;
            QFile linked(resolved);
            ASSERT_TRUE(linked.open(QIODevice::ReadOnly));
            QSet<QString> anchors;
            for (auto a = anchor.globalMatch(QString::fromUtf8(linked.readAll())); a.hasNext();)
                anchors.insert(a.next().captured(1));
            EXPECT_TRUE(anchors.contains(fragment)) << page.toStdString() << ": " << target.toStdString();
        }
    }
    EXPECT_GT(links, 20);
    QDirIterator pictures(root.path(), {QStringLiteral("*.png")}, QDir::Files, QDirIterator::Subdirectories);
    while (pictures.hasNext()) {
        const QString picture = QFileInfo(pictures.next()).canonicalFilePath();
        EXPECT_TRUE(used.contains(picture)) << picture.toStdString() << " is not shown anywhere";
    }
}

TEST(ProgramFile, TheDateIsTheFilesModificationInTheSystemsFormat) {
    gui_test::application();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kestrix"));
    QFile program(path);
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    const QDateTime built(QDate(2026, 12, 6), QTime(10, 15));
    ASSERT_TRUE(program.setFileTime(built, QFileDevice::FileModificationTime));
    program.close();
    EXPECT_EQ(QtProgramFile(toBytes(path)).lastModified(),
              toBytes(QLocale::system().toString(built, QLocale::ShortFormat)));
    EXPECT_EQ(QtProgramFile(toBytes(dir.filePath(QStringLiteral("gone")))).lastModified(), std::nullopt);
    EXPECT_NE(QtProgramFile().lastModified(), std::nullopt);  // the test program itself
}

}  // namespace
}  // namespace kestrix::platform::qt
