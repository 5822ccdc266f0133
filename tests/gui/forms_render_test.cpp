// The program's own windows, rendered: every window, menu item and control has its widget.

#include <QAction>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>

#include <gtest/gtest.h>

#include "gui_test_support.h"
#include "program/forms.h"

namespace kestrix::gui_test {
namespace {

class FormsRender : public ::testing::Test, private WithApplication {
protected:
    Forms forms;
    app::Renderer renderer{forms.all(), platform::qt::Twips(96, 96)};
};

TEST_F(FormsRender, EveryWindowMenuItemAndControlIsShownWithItsCaption) {
    renderer.render();
    for (Window* window : forms.all()) {
        SCOPED_TRACE(window->name);
        const app::WindowView* view = renderer.viewOf(*window);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->widget().windowTitle(), latin1(window->caption));
        EXPECT_EQ(view->widget().isVisible(), window->visible);
        for (const MenuItem* item : allMenuItems(*window)) {
            SCOPED_TRACE(item->name);
            const QAction* action = view->menus().actionOf(*item);
            ASSERT_NE(action, nullptr);
            EXPECT_EQ(action->isSeparator(), item->isSeparator);
            if (!item->isSeparator) {
                EXPECT_EQ(action->text(), latin1(item->caption));
            }
            EXPECT_EQ(action->shortcut(), QKeySequence(latin1(item->shortcut)));
            EXPECT_EQ(action->isChecked(), item->checked);
            EXPECT_EQ(action->isVisible(), item->visible);
        }
        for (const Control* control : window->controls) {
            SCOPED_TRACE(control->name);
            const QWidget* widget = widgetOf<QWidget>(renderer, *window, *control);
            ASSERT_NE(widget, nullptr);
            EXPECT_EQ(widget->isHidden(), !control->visible);
        }
    }
}

TEST_F(FormsRender, ChangedStateIsShownAfterTheNextRender) {
    renderer.render();
    forms.form1.Label1.caption = "sending: *idn?";
    forms.form1.funcStatus.checked = false;
    forms.form1.funcClock.checked = true;
    forms.frmShowLog.caption = "Control & Query (connected to 73408K @Com1)";
    renderer.render();
    EXPECT_EQ(widgetOf<QLabel>(renderer, forms.form1, forms.form1.Label1)->text(), "sending: *idn?");
    const app::MenuView& menus = renderer.viewOf(forms.form1)->menus();
    EXPECT_FALSE(menus.actionOf(forms.form1.funcStatus)->isChecked());
    EXPECT_TRUE(menus.actionOf(forms.form1.funcClock)->isChecked());
    EXPECT_EQ(renderer.viewOf(forms.frmShowLog)->widget().windowTitle(), "Control & Query (connected to 73408K @Com1)");
}

TEST_F(FormsRender, AMenuClickRunsTheItemsHandlerAndShowsWhatItChanged) {
    renderer.render();
    int clicks = 0;
    forms.form1.funcClock.onClick = [&] {
        ++clicks;
        forms.form1.funcStatus.checked = false;
        forms.form1.funcClock.checked = true;
    };
    const app::MenuView& menus = renderer.viewOf(forms.form1)->menus();
    menus.actionOf(forms.form1.funcClock)->trigger();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(menus.actionOf(forms.form1.funcClock)->isChecked());
    EXPECT_FALSE(menus.actionOf(forms.form1.funcStatus)->isChecked());
}

TEST_F(FormsRender, AMenuShortcutTypedInATextBoxGoesToTheMenuNotToTheBox) {
    forms.frmTerminal.show();
    renderer.render();
    int copies = 0;
    std::string keys;
    forms.frmTerminal.mnuEditCopy.onClick = [&] { ++copies; };
    forms.frmTerminal.txtTerminal.onKeyPress = [&](char key) { keys += key; };
    auto* box = widgetOf<QPlainTextEdit>(renderer, forms.frmTerminal, forms.frmTerminal.txtTerminal);

    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_C, Qt::ControlModifier, "\x03");
    QCoreApplication::sendEvent(box, &override);
    EXPECT_TRUE(override.isAccepted());  // the key press comes to the box, not to Qt's shortcut
    QKeyEvent press(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, "\x03");
    QCoreApplication::sendEvent(box, &press);
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(keys, "");

    forms.frmTerminal.mnuEdit.enabled = false;  // a shortcut of a disabled menu is an ordinary key
    renderer.render();
    QCoreApplication::sendEvent(box, &press);
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(keys, "\x03");
}

TEST_F(FormsRender, TheDownloadProgressBarShowsRecordsSentAgainstRecordsInTheFile) {
    FrmDownload& window = forms.frmDownload;
    window.prgRecords.maximum = 8195;
    window.prgRecords.value = 4000;
    renderer.render();
    auto* bar = widgetOf<QProgressBar>(renderer, window, window.prgRecords);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->maximum(), 8195);
    EXPECT_EQ(bar->value(), 4000);
    window.prgRecords.maximum = 6'000'000'000L;  // beyond what the widget holds: scaled together
    window.prgRecords.value = 3'000'000'000L;
    renderer.render();
    EXPECT_NEAR(static_cast<double>(bar->value()) / bar->maximum(), 0.5, 1e-6);
}

TEST_F(FormsRender, TheAboutBoxShowsTheProgramsIconAt32By32) {
    const QIcon before = QApplication::windowIcon();
    QPixmap drawn(256, 256);
    drawn.fill(Qt::darkBlue);
    QApplication::setWindowIcon(QIcon(drawn));
    renderer.render();
    const auto* picture = widgetOf<QLabel>(renderer, forms.frmAbout, forms.frmAbout.Picture1);
    ASSERT_NE(picture, nullptr);
    const QPixmap shown = picture->pixmap();
    QApplication::setWindowIcon(before);
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.size(), QSize(32, 32));
    EXPECT_EQ(shown.toImage().pixelColor(16, 16), QColor(Qt::darkBlue));
}

// A fixed text (a dialog's notice, a caption) wrapped at its label's width must fit the label's
// height, or its last line is cut off or hidden behind the next control.
TEST_F(FormsRender, EveryWrappedFixedTextFitsItsLabel) {
    renderer.render();
    for (Window* window : forms.all()) {
        for (const Control* control : window->controls) {
            if (control->kind() != ControlKind::Label) continue;
            const auto& label = static_cast<const Label&>(*control);
            if (!label.wordWrap || label.caption.empty()) continue;
            SCOPED_TRACE(window->name + "." + label.name + ": " + label.caption);
            const auto* widget = widgetOf<QLabel>(renderer, *window, label);
            ASSERT_NE(widget, nullptr);
            const QRect room = widget->contentsRect();
            const QRect needed = QFontMetrics(widget->font())
                                     .boundingRect(QRect(0, 0, room.width(), 10'000), Qt::TextWordWrap, widget->text());
            EXPECT_LE(needed.height(), room.height());
        }
    }
}

}  // namespace
}  // namespace kestrix::gui_test
