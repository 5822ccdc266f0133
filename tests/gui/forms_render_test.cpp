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

    forms.frmTerminal.mnuEdit.enabled = false;  // a shortcut of a disabled menu is no shortcut, and no text
    renderer.render();
    QCoreApplication::sendEvent(box, &press);
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(keys, "");
}

// Keys typed with Alt or Ctrl held are meant for the program (a menu, a shortcut), not for the
// receiver: the terminal neither collects nor shows them.
TEST_F(FormsRender, KeysWithAltOrCtrlHeldAreNotTypedIntoTheTerminal) {
    forms.frmTerminal.show();
    renderer.render();
    std::string keys;
    forms.frmTerminal.txtTerminal.onKeyPress = [&](char key) { keys += key; };
    auto* box = widgetOf<QPlainTextEdit>(renderer, forms.frmTerminal, forms.frmTerminal.txtTerminal);
    struct HeldKey {
        Qt::Key key;
        Qt::KeyboardModifiers held;
        const char* text;
    };
    const HeldKey held[] = {{Qt::Key_F, Qt::AltModifier, "f"},
                            {Qt::Key_X, Qt::AltModifier | Qt::ShiftModifier, "X"},
                            {Qt::Key_D, Qt::ControlModifier, "\x04"},
                            {Qt::Key_Return, Qt::ControlModifier, "\r"},
                            {Qt::Key_Backspace, Qt::AltModifier, "\b"}};
    for (const HeldKey& k : held) {
        QKeyEvent press(QEvent::KeyPress, k.key, k.held, QString::fromLatin1(k.text));
        QCoreApplication::sendEvent(box, &press);
    }
    EXPECT_EQ(keys, "");
    EXPECT_EQ(box->toPlainText(), "");

    QKeyEvent plain(QEvent::KeyPress, Qt::Key_F, Qt::ShiftModifier, QStringLiteral("F"));
    QCoreApplication::sendEvent(box, &plain);
    EXPECT_EQ(keys, "F");
    EXPECT_EQ(box->toPlainText(), "F");
}

// Escape presses a dialog's Cancel, Close or only button wherever the focus is; Enter presses
// its default button, or the button that has the focus.
TEST_F(FormsRender, EscapeAndEnterPressADialogsCancelAndDefaultButtons) {
    struct Dialog {
        Window& window;
        Button& onEscape;
        Button& onEnter;
    };
    const Dialog dialogs[] = {
        {forms.configScrn, forms.configScrn.CancelButton, forms.configScrn.OKButton},
        {forms.frmAbout, forms.frmAbout.cmdAbout, forms.frmAbout.cmdAbout},
        {forms.frmEraseWarn, forms.frmEraseWarn.cmdDontDownload, forms.frmEraseWarn.cmdDontDownload},
        {forms.frmPortNotOpen, forms.frmPortNotOpen.Command1, forms.frmPortNotOpen.Command1},
        {forms.frmEnterFile, forms.frmEnterFile.Command1, forms.frmEnterFile.Command1},
        {forms.frmEchoKill2, forms.frmEchoKill2.cmdOK, forms.frmEchoKill2.cmdOK},
        {forms.frmChangeBaud, forms.frmChangeBaud.cmdDontDownload, forms.frmChangeBaud.cmdReallyDownload},
        {forms.frmFontSelect, forms.frmFontSelect.cmdDontChange, forms.frmFontSelect.cmdDontChange},
        {forms.frmClkFontSelect, forms.frmClkFontSelect.cmdAllDone, forms.frmClkFontSelect.cmdAllDone},
    };
    std::string pressed;
    const auto press = [&](QWidget* focus, Qt::Key key) {
        pressed.clear();
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(focus, &event);
        return pressed;
    };
    for (const Dialog& dialog : dialogs) {
        SCOPED_TRACE(dialog.window.name);
        Button* focused = nullptr;
        for (Control* control : dialog.window.controls) {
            if (control->kind() != ControlKind::Button) continue;
            auto& button = static_cast<Button&>(*control);
            button.onClick = [&pressed, &button] { pressed += button.name; };
            if (!focused) focused = &button;
        }
        dialog.window.show();
        renderer.render();
        QWidget& canvas = renderer.viewOf(dialog.window)->canvas();
        ASSERT_NE(focused, nullptr);
        auto* focus = widgetOf<QWidget>(renderer, dialog.window, *focused);
        EXPECT_EQ(press(focus, Qt::Key_Escape), dialog.onEscape.name);
        EXPECT_EQ(press(&canvas, Qt::Key_Escape), dialog.onEscape.name);
        EXPECT_EQ(press(&canvas, Qt::Key_Return), dialog.onEnter.name);
        EXPECT_EQ(press(&canvas, Qt::Key_Enter), dialog.onEnter.name);
        EXPECT_EQ(press(focus, Qt::Key_Return), focused->name);
        dialog.window.hide();
    }
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
