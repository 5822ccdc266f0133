#include "app/label_view.h"

#include <QApplication>
#include <QFontMetrics>
#include <QIcon>

#include "platform/qt/latin1.h"

namespace kestrix::app {

LabelView::LabelView(Label& label, QWidget& canvas, const platform::qt::Twips& twips)
    : ControlView(label, *new QLabel(&canvas), twips), label_(label), widget_(static_cast<QLabel&>(widget())) {
    widget_.setTextFormat(Qt::PlainText);
}

void LabelView::renderOwn() {
    if (label_.showsProgramIcon) renderIcon();
    else renderCaption();
    if (toolTip_ != label_.toolTip) {
        widget_.setToolTip(platform::qt::fromBytes(label_.toolTip));
        toolTip_ = label_.toolTip;
    }
    if (wordWrap_ != label_.wordWrap) {
        widget_.setWordWrap(label_.wordWrap);
        wordWrap_ = label_.wordWrap;
    }
    if (centered_ != label_.centered) {
        widget_.setAlignment((label_.centered ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
        centered_ = label_.centered;
    }
    if (alarmColours_ != label_.alarmColours) renderAlarmColours();
}

// An alarm stands out in any desktop theme: light text on a strong red ground.
void LabelView::renderAlarmColours() {
    alarmColours_ = label_.alarmColours;
    widget_.setAutoFillBackground(label_.alarmColours);
    if (!label_.alarmColours) {
        widget_.setPalette(QPalette());
        return;
    }
    QPalette palette = widget_.palette();
    palette.setColor(QPalette::Window, QColor(0xc6, 0x28, 0x28));
    palette.setColor(QPalette::WindowText, Qt::white);
    widget_.setPalette(palette);
}

void LabelView::renderIcon() {
    const QSize size = widget_.contentsRect().size();
    if (iconSize_ == size || size.isEmpty()) return;
    widget_.setPixmap(QApplication::windowIcon().pixmap(size));
    iconSize_ = size;
}

void LabelView::renderCaption() {
    const bool elided = label_.elideInTheMiddle && !label_.wordWrap;
    ShownCaption wanted{label_.caption, elided, 0, {}};
    if (elided) {
        wanted.width = widget_.contentsRect().width();
        wanted.font = widget_.font();
    }
    if (shown_ == wanted) return;
    const QString whole = platform::qt::linesFromBytes(label_.caption);
    if (elided) {
        const QString fitted = QFontMetrics(wanted.font).elidedText(whole, Qt::ElideMiddle, wanted.width);
        widget_.setText(fitted);
        widget_.setAccessibleName(fitted == whole ? QString() : whole);
    } else {
        widget_.setText(whole);
        widget_.setAccessibleName(QString());
    }
    shown_ = std::move(wanted);
}

}  // namespace kestrix::app
