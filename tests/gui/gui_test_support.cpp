#include "gui_test_support.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace kestrix::gui_test {

QApplication& application() {
    static int argc = 1;
    static char name[] = "kestrix_gui_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: widgets of a failed test may outlive the test.
    static auto* app = new QApplication(argc, argv);
    return *app;
}

bool serveEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace kestrix::gui_test
