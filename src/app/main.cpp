// Kestrix: the program's core wired to the serial port, the settings file and the desktop.

#include <QApplication>
#include <QIcon>

#include <iostream>
#include <optional>

#include "app/command_line.h"
#include "app/desktop.h"
#include "app/termination_signals.h"
#include "platform/manual_location.h"

namespace {

std::vector<std::string> argumentsOf(int argc, char** argv) { return {argv + 1, argv + argc}; }

// Says where the manual is, or where it was looked for.
int printManualPath() {
    const kestrix::platform::ManualLocation manual = kestrix::platform::locateManual();
    if (!manual.found.empty()) {
        std::cout << manual.found << "\n";
        return 0;
    }
    std::cerr << "kestrix: the manual " << kestrix::platform::kManualPage << " is in none of these places:\n";
    for (const std::string& candidate : manual.candidates) std::cerr << "  " << candidate << "\n";
    return 1;
}

// Every request but running the console is answered, and an argument not ours refused, before the
// window system starts, so none of them needs a display.
std::optional<int> answerWithoutWindows(int argc, char** argv) {
    using kestrix::app::ProgramRequest;
    const kestrix::app::CommandLine commandLine = kestrix::app::parseCommandLine(argumentsOf(argc, argv));
    switch (commandLine.request) {
        case ProgramRequest::PrintVersion: std::cout << kestrix::app::versionText(); return 0;
        case ProgramRequest::PrintUsage: std::cout << kestrix::app::usageText(); return 0;
        case ProgramRequest::PrintManualPath: return printManualPath();
        case ProgramRequest::Refuse:
            std::cerr << "kestrix: unknown argument " << commandLine.refused << "\n\n" << kestrix::app::usageText();
            return 2;
        case ProgramRequest::Run: break;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kestrix;
    if (const auto status = answerWithoutWindows(argc, argv)) return *status;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrix"));
    QApplication::setDesktopFileName(QStringLiteral("kestrix"));  // the desktop entry: its icon and name
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kestrix-256.png")));
    QApplication::setQuitOnLastWindowClosed(false);  // the program decides when it ends

    app::Desktop desktop;
    if (!desktop.start()) return 0;

    // Ended from outside (a logout, Ctrl+C): the settings are saved as File, Exit saves them.
    app::TerminationSignals termination(
        [&] { desktop.renderer().forward([&desktop] { desktop.program().exitNow(); }); });

    return QApplication::exec();
}
