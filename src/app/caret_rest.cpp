#include "app/caret_rest.h"

#include <QApplication>
#include <QEvent>

#include <algorithm>
#include <array>

namespace kestrix::app {

namespace {

constexpr std::array kUsersActions{QEvent::KeyPress, QEvent::MouseButtonPress, QEvent::Wheel, QEvent::InputMethod};

bool isUsersAction(QEvent::Type type) {
    return std::find(kUsersActions.begin(), kUsersActions.end(), type) != kUsersActions.end();
}

}  // namespace

CaretRest::CaretRest(int restAfterMs) {
    restTimer_.setSingleShot(true);
    restTimer_.setInterval(restAfterMs);
    connect(&restTimer_, &QTimer::timeout, this, [this] { rest(); });
    qApp->installEventFilter(this);
    restTimer_.start();
}

CaretRest::~CaretRest() { wake(); }

bool CaretRest::eventFilter(QObject*, QEvent* event) {
    if (isUsersAction(event->type())) {
        wake();
        restTimer_.start();
    }
    return false;
}

// A flash time of 0 leaves the caret shown without blinking.
void CaretRest::rest() {
    if (resting_) return;
    flashTimeMs_ = QApplication::cursorFlashTime();  // the desktop's as it stands, changed meanwhile or not
    if (flashTimeMs_ == 0) return;
    resting_ = true;
    QApplication::setCursorFlashTime(0);
}

void CaretRest::wake() {
    if (!resting_) return;
    resting_ = false;
    QApplication::setCursorFlashTime(flashTimeMs_);
}

}  // namespace kestrix::app
