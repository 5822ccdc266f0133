#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "platform/qt/file_filter.h"
#include "platform/qt/latin1.h"
#include "platform/qt/modal_host.h"
#include "platform/qt/qt_font.h"
#include "platform/qt/qt_printer.h"
#include "shared/controls.h"

namespace kestrix::platform::qt {

namespace {

const std::map<MsgIcon, QMessageBox::Icon> kIcons{{MsgIcon::None, QMessageBox::NoIcon},
                                                  {MsgIcon::Critical, QMessageBox::Critical},
                                                  {MsgIcon::Question, QMessageBox::Question},
                                                  {MsgIcon::Exclamation, QMessageBox::Warning},
                                                  {MsgIcon::Information, QMessageBox::Information}};

// Each set of buttons, the first being the default.
const std::map<MsgButtons, std::vector<QMessageBox::StandardButton>> kButtons{
    {MsgButtons::Ok, {QMessageBox::Ok}},
    {MsgButtons::OkCancel, {QMessageBox::Ok, QMessageBox::Cancel}},
    {MsgButtons::AbortRetryIgnore, {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore}},
    {MsgButtons::YesNoCancel, {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}},
    {MsgButtons::YesNo, {QMessageBox::Yes, QMessageBox::No}},
    {MsgButtons::RetryCancel, {QMessageBox::Retry, QMessageBox::Cancel}}};

const std::map<int, MsgResult> kResults{
    {QMessageBox::Ok, MsgResult::Ok},         {QMessageBox::Cancel, MsgResult::Cancel},
    {QMessageBox::Abort, MsgResult::Abort},   {QMessageBox::Retry, MsgResult::Retry},
    {QMessageBox::Ignore, MsgResult::Ignore}, {QMessageBox::Yes, MsgResult::Yes},
    {QMessageBox::No, MsgResult::No}};

QWidget* dialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

}  // namespace

MsgResult QtDialogs::msgBox(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) {
    QMessageBox box(kIcons.at(icon), fromBytes(title), linesFromBytes(text), QMessageBox::NoButton, dialogParent());
    box.setTextFormat(Qt::PlainText);
    const auto& choices = kButtons.at(buttons);
    for (const QMessageBox::StandardButton choice : choices) box.addButton(choice);
    box.setDefaultButton(choices.front());
    if (choices.size() == 1) box.setEscapeButton(choices.front());
    const int pressed = box.exec();
    const auto result = kResults.find(box.standardButton(box.clickedButton()));
    if (result != kResults.end()) return result->second;
    const auto answered = kResults.find(pressed);
    return answered != kResults.end() ? answered->second : MsgResult::Cancel;
}

void QtDialogs::showModal(Window& window) {
    if (host_) {
        host_->runModal(window);
    } else {
        window.show();
        window.hide();
    }
}

std::optional<std::string> QtDialogs::openFile(const std::string& filter) {
    const QString path =
        QFileDialog::getOpenFileName(dialogParent(), QStringLiteral("Open"), QString(), toQtFileFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    return QFile::encodeName(path).toStdString();
}

std::optional<std::string> QtDialogs::saveFile(const std::string& title, const std::string& filter,
                                               const std::string& suggested) {
    const QString path =
        QFileDialog::getSaveFileName(dialogParent(), QString::fromStdString(title),
                                     QDir::home().filePath(QString::fromStdString(suggested)), toQtFileFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    return QFile::encodeName(path).toStdString();
}

std::optional<FontSpec> QtDialogs::chooseFont(const FontSpec& font) {
    bool chosen = false;
    const QFont picked = QFontDialog::getFont(&chosen, toQFont(font), dialogParent());
    if (!chosen) return std::nullopt;
    return toFontSpec(picked);
}

std::optional<int> QtDialogs::choosePrintCopies() {
    QPrinter& printer = printer_.device();
    // Without a printer installed, a PDF file is the one way to print.
    const bool noPrinter = QPrinterInfo::availablePrinterNames().isEmpty();
    if (noPrinter && printer.outputFileName().isEmpty())
        printer.setOutputFileName(QDir::home().filePath(QStringLiteral("kestrix-print.pdf")));
    QPrintDialog dialog(&printer, dialogParent());
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, noPrinter);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const int copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1);  // each copy is printed as a job of its own
    printer_.startRun();
    return copies;
}

}  // namespace kestrix::platform::qt
