// Printing the terminal session through the real printer into PDF files, counted with pdfinfo.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

#include "common/printing.h"
#include "gui_test_support.h"
#include "platform/fake_files.h"
#include "platform/fake_platform.h"
#include "platform/fake_serial_port.h"
#include "platform/qt/qt_printer.h"
#include "program/kestrix.h"

namespace kestrix::gui_test {
namespace {

// The program on fakes but for the printer, which writes PDF files into a directory of its own;
// the print dialog's part (copies, file) is played by the test.
struct PdfRig : WithApplication {
    QTemporaryDir dir;
    platform::FakeSerialPort port;
    platform::FakeServices fakes;
    platform::qt::QtPrinter printer;
    platform::FakeFiles files;
    platform::Platform platform{
        port,         fakes.clock, fakes.profile,     fakes.dialogs, fakes.measurer, fakes.clipboard,    fakes.help,
        fakes.beeper, printer,     fakes.programFile, files,         fakes.notifier, fakes.serialDevices};
    Kestrix app{platform};
    FrmTerminal& terminal = app.forms.frmTerminal;

    QString file(const QString& name) const { return dir.filePath(name); }

    // Prints as the print dialog accepted with this file chosen would.
    void print(const std::string& text, int copies, const QString& chosen = QStringLiteral("session.pdf")) {
        printer.device().setOutputFormat(QPrinter::PdfFormat);
        printer.device().setOutputFileName(file(chosen));
        printer.startRun();
        fakes.dialogs.printCopies = copies;
        terminal.txtTerminal.setText(text);
        terminal.mnuFilePrint.onClick();
    }

    // Lines to a page in the terminal's font: the page breaks once its lines reach the quota.
    int linesPerPage() {
        printer.setFont(terminal.txtTerminal.font);
        return static_cast<int>(std::ceil(pageQuota(printer.scaleHeight(), printer.textHeight("THISgyp IS A TEST"))));
    }
};

std::string numberedLines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text;
}

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

int pdfPages(const QString& path) {
    for (const QString& line : run(QStringLiteral("pdfinfo"), {path}).split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("Pages:"))) return line.mid(6).trimmed().toInt();
    return -1;
}

QString pdfPageText(const QString& path, int page) {
    const QString number = QString::number(page);
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-f"), number, QStringLiteral("-l"), number,
                                             QStringLiteral("-layout"), path, QStringLiteral("-")});
}

#define REQUIRE_PDFINFO()                                                    \
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) \
    GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed"

TEST(PrintingToPdf, TwoCopiesOfAThreePageTextAreTwoFilesOfThreePages) {
    REQUIRE_PDFINFO();
    PdfRig rig;
    const int perPage = rig.linesPerPage();
    ASSERT_GT(perPage, 10);
    rig.print(numberedLines(2 * perPage + perPage / 2), 2);

    EXPECT_TRUE(rig.fakes.dialogs.messages.empty());
    const QString first = rig.file(QStringLiteral("session.pdf"));
    const QString second = rig.file(QStringLiteral("session-copy2.pdf"));
    EXPECT_EQ(pdfPages(first), 3);
    EXPECT_EQ(pdfPages(second), 3);
    EXPECT_FALSE(QFile::exists(rig.file(QStringLiteral("session-copy3.pdf"))));
    const QString pageTwo = pdfPageText(second, 2);
    EXPECT_TRUE(pageTwo.contains(QStringLiteral("line %1\n").arg(perPage + 1))) << pageTwo.toStdString();
    EXPECT_FALSE(pageTwo.contains(QStringLiteral("line %1\n").arg(perPage))) << pageTwo.toStdString();
    EXPECT_EQ(rig.app.forms.frmPrintProg.txtPrintPage.text(), "Now Printing Page 3 Copy 2");
    // The next print dialog offers the file the user chose, not the last copy's.
    EXPECT_EQ(rig.printer.device().outputFileName(), first);
}

TEST(PrintingToPdf, ATextWithoutCarriageReturnIsOnePageAndAnEmptyTextNoFile) {
    REQUIRE_PDFINFO();
    PdfRig rig;
    rig.print(std::string(3000, 'x') + "\n" + std::string(400, 'y'), 1);
    EXPECT_EQ(pdfPages(rig.file(QStringLiteral("session.pdf"))), 1);

    QFile::remove(rig.file(QStringLiteral("session.pdf")));
    rig.print("", 2);
    EXPECT_FALSE(QFile::exists(rig.file(QStringLiteral("session.pdf"))));
    EXPECT_TRUE(rig.fakes.dialogs.messages.empty());
}

// Each print goes to the file chosen in its own dialog, and the next dialog offers that one.
TEST(PrintingToPdf, TwoPrintsToTwoFilesWriteBothAndTheFirstIsLeftAlone) {
    REQUIRE_PDFINFO();
    PdfRig rig;
    rig.print("first session\r\n", 1, QStringLiteral("first.pdf"));
    rig.print("second session\r\n", 1, QStringLiteral("second.pdf"));

    const QString first = rig.file(QStringLiteral("first.pdf"));
    const QString second = rig.file(QStringLiteral("second.pdf"));
    EXPECT_TRUE(pdfPageText(first, 1).contains(QStringLiteral("first session")));
    EXPECT_TRUE(pdfPageText(second, 1).contains(QStringLiteral("second session")));
    EXPECT_EQ(rig.printer.device().outputFileName(), second);
}

TEST(PrintingToPdf, AFileThatCannotBeWrittenIsOnePrintAborted) {
    PdfRig rig;
    rig.printer.device().setOutputFormat(QPrinter::PdfFormat);
    rig.printer.device().setOutputFileName(rig.file(QStringLiteral("no/such/folder/session.pdf")));
    rig.printer.startRun();
    rig.fakes.dialogs.printCopies = 2;
    rig.terminal.txtTerminal.setText(numberedLines(3));
    rig.terminal.mnuFilePrint.onClick();
    ASSERT_EQ(rig.fakes.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.fakes.dialogs.messages[0].text, "Print Aborted");
    EXPECT_EQ(rig.terminal.mousePointer, MousePointer::Default);
    EXPECT_FALSE(rig.app.forms.frmPrintProg.visible);
}

}  // namespace
}  // namespace kestrix::gui_test
