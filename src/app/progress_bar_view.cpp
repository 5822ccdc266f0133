#include "app/progress_bar_view.h"

#include <algorithm>
#include <climits>

namespace kestrix::app {

ProgressBarView::ProgressBarView(ProgressBar& bar, QWidget& canvas, const platform::qt::Twips& twips)
    : ControlView(bar, *new QProgressBar(&canvas), twips), bar_(bar), widget_(static_cast<QProgressBar&>(widget())) {
    widget_.setTextVisible(true);
}

void ProgressBarView::renderOwn() {
    const std::pair<long, long> wanted{bar_.value, bar_.maximum};
    if (shown_ == wanted) return;
    long maximum = std::max(1L, bar_.maximum);
    long value = std::clamp(bar_.value, 0L, maximum);
    while (maximum > INT_MAX) {
        maximum /= 2;
        value /= 2;
    }
    widget_.setRange(0, static_cast<int>(maximum));
    widget_.setValue(static_cast<int>(value));
    shown_ = wanted;
}

}  // namespace kestrix::app
