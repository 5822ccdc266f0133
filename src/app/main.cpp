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

// --version, --help and --print-help-path on their own print and end before the window system
// starts, so they need no display.
std::optional<int> answerWithoutWindows(int argc, char** argv) {
    using kestrix::app::ProgramRequest;
    const kestrix::app::CommandLine commandLine = kestrix::app::parseCommandLine(argumentsOf(argc, argv));
    if (commandLine.request == ProgramRequest::PrintVersion) {
        std::cout << kestrix::app::versionText();
        return 0;
    }
    if (commandLine.request == ProgramRequest::PrintUsage) {
        std::cout << kestrix::app::usageText();
        return 0;
    }
    if (commandLine.request == ProgramRequest::PrintManualPath) return printManualPath();
    return std::nullopt;
}

// What is left once the window system has taken its own options (such as -platform): nothing, or
// --print-help-path.
std::optional<int> answerAfterWindowSystem(int argc, char** argv) {
    using kestrix::app::ProgramRequest;
    const kestrix::app::CommandLine commandLine = kestrix::app::parseCommandLine(argumentsOf(argc, argv));
    if (commandLine.request == ProgramRequest::Refuse) {
        std::cerr << "kestrix: unknown argument " << commandLine.refused << "\n\n" << kestrix::app::usageText();
        return 2;
    }
    if (commandLine.request != ProgramRequest::PrintManualPath) return std::nullopt;
    return printManualPath();
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
    if (const auto status = answerAfterWindowSystem(argc, argv)) return *status;

    app::Desktop desktop;
    if (!desktop.start()) return 0;

    // Ended from outside (a logout, Ctrl+C): the settings are saved as File, Exit saves them.
    app::TerminationSignals termination(
        [&] { desktop.renderer().forward([&desktop] { desktop.program().exitNow(); }); });

    return QApplication::exec();
}
