// Kestrix: the program's core wired to the serial port, the settings file and the desktop.

#include <QApplication>

#include "app/desktop.h"
#include "app/termination_signals.h"

int main(int argc, char** argv) {
    using namespace kestrix;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrix"));
    QApplication::setQuitOnLastWindowClosed(false);   // the program decides when it ends

    app::Desktop desktop;
    if (!desktop.start()) return 0;

    // Ended from outside (a logout, Ctrl+C): the settings are saved as File, Exit saves them.
    app::TerminationSignals termination(
        [&] { desktop.renderer().forward([&desktop] { desktop.program().exitNow(); }); });

    return QApplication::exec();
}
