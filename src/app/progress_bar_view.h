#pragma once

#include <QProgressBar>

#include "app/control_view.h"

namespace kestrix::app {

// A progress bar; values beyond what the widget holds are scaled down together.
class ProgressBarView final : public ControlView {
public:
    ProgressBarView(ProgressBar& bar, QWidget& canvas, const platform::qt::Twips& twips);

private:
    void renderOwn() override;

    ProgressBar& bar_;
    QProgressBar& widget_;
    std::optional<std::pair<long, long>> shown_;
};

}  // namespace kestrix::app
