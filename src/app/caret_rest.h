#pragma once

#include <QObject>
#include <QTimer>

namespace kestrix::app {

// The text caret blinks while the user works with the program and stands still, shown, after a
// spell without keys or clicks, as desktop toolkits have it: left blinking, it would wake the
// program twice a second for as long as the program sits idle.
class CaretRest final : public QObject {
public:
    static constexpr int kRestAfterMs = 10000;

    explicit CaretRest(int restAfterMs = kRestAfterMs);
    ~CaretRest() override;
    CaretRest(const CaretRest&) = delete;
    CaretRest& operator=(const CaretRest&) = delete;

    bool resting() const { return resting_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rest();
    void wake();

    int flashTimeMs_ = 0;  // the desktop's own blink, taken when the caret rests and given back after
    QTimer restTimer_;
    bool resting_ = false;
};

}  // namespace kestrix::app
