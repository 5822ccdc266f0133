// Kestrix: the program's core wired to the serial port, the settings file and the desktop.

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <iostream>
#include <optional>

#include "app/command_line.h"
#include "app/renderer.h"
#include "app/termination_signals.h"
#include "config/ports.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/ini_profile.h"
#include "platform/manual_location.h"
#include "platform/posix_serial_port.h"
#include "platform/qt/qt_beeper.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_help_viewer.h"
#include "platform/qt/qt_printer.h"
#include "platform/qt/qt_program_file.h"
#include "platform/qt/qt_text_measurer.h"
#include "program/kestrix.h"

namespace {

// How often queued output is written to the line and arriving input is read.
constexpr int kLineServiceMs = 5;

// The device behind COM1 to COM4, looked up in the settings file each time the port opens.
std::function<std::string(int)> devicePaths(kestrix::platform::Profile& profile) {
    return [&profile](int port) -> std::string {
        const auto paths = kestrix::config::comPortPaths(profile);
        if (port < 1 || port > static_cast<int>(paths.size())) return {};
        return paths[static_cast<std::size_t>(port - 1)];
    };
}

std::vector<std::string> argumentsOf(int argc, char** argv) {
    return {argv + 1, argv + argc};
}

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
    QApplication::setDesktopFileName(QStringLiteral("kestrix"));   // the desktop entry: its icon and name
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kestrix-256.png")));
    QApplication::setQuitOnLastWindowClosed(false);                // the program decides when it ends
    if (const auto status = answerAfterWindowSystem(argc, argv)) return *status;

    platform::IniFileProfile profile(platform::defaultProfilePath());
    platform::PosixSerialPort serial(devicePaths(profile));
    platform::SystemClock clock;
    platform::qt::QtPrinter printer;
    platform::qt::QtDialogs dialogs(printer);
    platform::qt::QtTextMeasurer measurer;
    platform::qt::QtClipboard clipboard;
    platform::qt::QtHelpViewer help;
    platform::qt::QtBeeper beeper;
    platform::qt::QtProgramFile programFile;
    platform::PosixFiles files;
    platform::Platform platform{serial, clock, profile, dialogs, measurer, clipboard, help, beeper, printer,
                                programFile, files};

    Kestrix program(platform);
    // While the program waits (for queued output to leave), the line service and the windows go on.
    program.processEvents = [] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); };

    app::Renderer renderer(program.forms.all());
    dialogs.setModalHost(&renderer);
    renderer.afterEvent = [&program] {
        if (program.quitRequested()) QCoreApplication::quit();
    };

    renderer.render();   // start-up sizes the windows by their frames, which the first render reports
    renderer.forward([&program] { program.start(); });
    if (program.quitRequested()) return 0;

    // A serial event raised inside a modal dialog that an earlier event opened waits for it.
    QTimer lineService;
    bool servicing = false;
    QObject::connect(&lineService, &QTimer::timeout, [&] {
        if (servicing) return;
        servicing = true;
        renderer.forward([&serial] { serial.service(); });
        servicing = false;
    });
    lineService.start(kLineServiceMs);

    // Ended from outside (a logout, Ctrl+C): the settings are saved as File, Exit saves them.
    app::TerminationSignals termination([&] { renderer.forward([&program] { program.exitNow(); }); });

    const int status = QApplication::exec();
    lineService.stop();
    dialogs.setModalHost(nullptr);
    return status;
}
