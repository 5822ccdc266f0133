// The Communication Settings dialog rendered, with the program on test doubles: what the user
// sees beside the port buttons, and choices made through every input route reaching the program.

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "config/comm_settings_dialog.h"
#include "gui_test_support.h"
#include "platform/fake_platform.h"
#include "platform/fake_serial_port.h"
#include "program/kestrix.h"

namespace kestrix::gui_test {
namespace {

const std::string kById = "/dev/serial/by-id/usb-Morvandelle_Timing_Link_MDL-26-00417-if00-port0";
// Longer than any room the dialog has.
const std::string kVeryLong =
    "/dev/serial/by-path/pci-0000:00:14.0-usb-0:4.1.3:1.0-port0/" + std::string(80, 'x') + "/tail";

class CommSettingsRender : public ::testing::Test, private WithApplication {
protected:
    void SetUp() override {
        fakes.profile.text = "[Ports]\r\nCom2=" + kById + "\r\nCom3=" + kVeryLong + "\r\n";
        app.start();
        port.setSettings("9600,N,8,1");
        renderer.render();
        renderer.viewOf(app.forms.form1)->menus().actionOf(app.forms.form1.MSettings)->trigger();
        ASSERT_TRUE(renderer.viewOf(dialog)->widget().isVisible());
    }

    template <typename Widget>
    Widget* widget(const Control& control) {
        return widgetOf<Widget>(renderer, dialog, control);
    }
    static void doAction(QWidget* widget, const QString& action) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(accessible, nullptr);
        ASSERT_NE(accessible->actionInterface(), nullptr);
        accessible->actionInterface()->doAction(action);
    }
    static QString accessibleName(QWidget* widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    }

    platform::FakeSerialPort port;
    platform::FakeServices fakes;
    platform::Platform platform = fakes.platformWith(port);
    Kestrix app{platform};
    ConfigScrn& dialog = app.forms.configScrn;
    app::Renderer renderer{app.forms.all(), platform::qt::Twips(96, 96)};
};

TEST_F(CommSettingsRender, DevicePathsAreShownWholeOrCutInTheMiddleWithTheWholePathAtHand) {
    for (int i : {1, 2}) {
        QLabel* path = widget<QLabel>(dialog.lblComPath[i]);
        const QString whole = i == 1 ? "/dev/ttyS0" : latin1(kById);
        EXPECT_EQ(path->text(), whole);
        EXPECT_LE(path->fontMetrics().horizontalAdvance(whole), path->contentsRect().width());
        EXPECT_EQ(path->toolTip(), whole);
        EXPECT_EQ(accessibleName(path), whole);
    }

    QLabel* path = widget<QLabel>(dialog.lblComPath[3]);
    const QString shown = path->text();
    EXPECT_NE(shown, latin1(kVeryLong));
    EXPECT_LE(path->fontMetrics().horizontalAdvance(shown), path->contentsRect().width());
    EXPECT_TRUE(shown.startsWith("/dev/serial/")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("/tail")) << shown.toStdString();
    EXPECT_EQ(path->toolTip(), latin1(kVeryLong));
    EXPECT_EQ(accessibleName(path), latin1(kVeryLong));

    // Narrowed, a path that fitted is cut too; widened, it is whole again.
    Label& byId = dialog.lblComPath[2];
    const int width = byId.geometry.width;
    byId.geometry.width = 1200;
    renderer.render();
    EXPECT_NE(widget<QLabel>(byId)->text(), latin1(kById));
    EXPECT_TRUE(widget<QLabel>(byId)->text().endsWith("port0"));
    byId.geometry.width = width;
    renderer.render();
    EXPECT_EQ(widget<QLabel>(byId)->text(), latin1(kById));
}

TEST_F(CommSettingsRender, AnOptionChosenByAssistiveTechnologyOrKeyIsWhatOkApplies) {
    QRadioButton* fast = widget<QRadioButton>(dialog.Baud19dot2);
    doAction(fast, QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(dialog.Baud19dot2.value);
    EXPECT_FALSE(dialog.Baud96.value);
    EXPECT_EQ(app.commSettings().pending().baud, "19200");
    EXPECT_FALSE(widget<QRadioButton>(dialog.Baud96)->isChecked());

    doAction(fast, QAccessibleActionInterface::toggleAction());  // an option that is on stays on
    EXPECT_TRUE(fast->isChecked());
    EXPECT_TRUE(dialog.Baud19dot2.value);
    EXPECT_EQ(app.commSettings().pending().baud, "19200");

    doAction(widget<QRadioButton>(dialog.EvenParity), QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(serveEventsUntil([&] { return dialog.EvenParity.value; }));
    EXPECT_FALSE(widget<QRadioButton>(dialog.NoParity)->isChecked());

    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
    QCoreApplication::sendEvent(widget<QRadioButton>(dialog.Stop2), &press);
    QCoreApplication::sendEvent(widget<QRadioButton>(dialog.Stop2), &release);
    EXPECT_TRUE(dialog.Stop2.value);

    widget<QPushButton>(dialog.OKButton)->click();
    EXPECT_EQ(port.settings(), "19200,e,8,2");
    EXPECT_FALSE(dialog.visible);
}

}  // namespace
}  // namespace kestrix::gui_test
