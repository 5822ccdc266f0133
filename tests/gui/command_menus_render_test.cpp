// The Control & Query window's command menus, rendered: every catalogue entry in its menu and
// submenu, the 73408K's entries only for that model, and an entry chosen from the menu leaving the
// caret where the typed value belongs.

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "../integration/support/sim_program.h"
#include "../unit/support/rig.h"
#include "gui_test_support.h"

namespace kestrix::gui_test {
namespace {

class CommandMenusRender : public ::testing::Test, private WithApplication {
protected:
    CommandMenusRender() { rig.app->start(); }

    QAction* action(const char* name) {
        const MenuItem* item = findMenuItem(window, name);
        return item ? renderer.viewOf(window)->menus().actionOf(*item) : nullptr;
    }
    // The captions of a menu's actions as shown, separators as "-", hidden ones left out.
    static QStringList shown(const QMenu& menu) {
        QStringList captions;
        for (const QAction* a : menu.actions())
            if (a->isVisible()) captions << (a->isSeparator() ? "-" : a->text());
        return captions;
    }
    void type(QWidget& widget, const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(&widget, &press);
        }
    }

    testing::Rig rig;
    FrmShowLog& window = rig.forms.frmShowLog;
    app::Renderer renderer{rig.forms.all(), platform::qt::Twips(96, 96)};
};

TEST_F(CommandMenusRender, EveryEntryIsInItsMenuAndTheModelsEntriesShowOnlyForA73408K) {
    renderer.render();
    const QMenu* control = action("mnuControl")->menu();
    const QMenu* query = action("mnuQuery")->menu();
    ASSERT_NE(control, nullptr);
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(control->actions().size(), 13 + 1 + 6 + 1 + 1);
    EXPECT_EQ(query->actions().size(), 14 + 1 + 4 + 1 + 4 + 1 + 1);
    EXPECT_EQ(shown(*control).size(), 13 + 1 + 1);  // no timestamp settings and no separator for them
    EXPECT_EQ(shown(*query).size(), 14 + 1 + 1);
    EXPECT_EQ(shown(*action("mnuAlarmclr")->menu()), QStringList{"&Clear Alarm and Show Cause"});
    EXPECT_EQ(shown(*action("mnuQueryStatus")->menu()),
              (QStringList{"All &Conditions", "All E&vents", "All E&nable Masks", "All &Positive Transition Filters",
                           "All Ne&gative Transition Filters"}));

    rig.connect("73408K");
    renderer.render();
    EXPECT_EQ(shown(*control).size(), 13 + 1 + 6 + 1 + 1);
    EXPECT_EQ(shown(*query).size(), 14 + 1 + 4 + 1 + 4 + 1 + 1);
    EXPECT_EQ(shown(*action("mnuSamp")->menu()), (QStringList{"Input &1", "Input &2", "Input &3", "&All Inputs"}));
    EXPECT_EQ(action("mnuTst")->text(), "&Timestamp Data");
}

TEST_F(CommandMenusRender, ASecondModelSeesNoneOfThe73408KsEntries) {
    rig.connect("LARK7");
    renderer.render();
    for (const char* name : {"hyph10", "mnuPowControlItem(2)", "hyph5", "mnuTst", "mnuSamp", "mnuOverflow",
                             "mnuFirstorLast", "hyph6", "mnuPulseMode", "mnuPeriodicStart"})
        EXPECT_FALSE(action(name)->isVisible()) << name;
    EXPECT_TRUE(action("hyph11")->isVisible());
    EXPECT_TRUE(action("mnuQueryStatus")->isVisible());
}

TEST_F(CommandMenusRender, AntennaDelayFromTheMenuThenTypingFiftyGivesTheCommandWithItsUnit) {
    renderer.render();
    auto* line = widgetOf<QComboBox>(renderer, window, window.cmbSendSCPI);
    line->setEditText("*ID");  // half typed
    action("mnuControlItem(0)")->trigger();
    EXPECT_EQ(line->currentText(), ":GPS:REF:ADEL  ns");
    EXPECT_EQ(line->lineEdit()->cursorPosition(), 14);
    EXPECT_EQ(widgetOf<QLabel>(renderer, window, window.lblSend)->text(),
              "Enter the antenna delay value (in ns), just before the 'ns' suffix");
    EXPECT_TRUE(serveEventsUntil([&] { return line->hasFocus(); }));

    type(*line, "50");
    EXPECT_EQ(window.cmbSendSCPI.text, ":GPS:REF:ADEL 50 ns");
    EXPECT_EQ(line->count(), 0);  // nothing in the history until it is sent
}

TEST(CommandMenusOnTheLine, ClearAlarmFromTheMenuShowsTheCauseOfAFaultyReceiver) {
    application();
    testing::SimProgram program;
    program.receiver.withModel([](sim::ReceiverModel& model) {
        model.state().enableAlarmOnFaults();
        model.state().setHardwareFaults(1u << 9);
    });
    program.app.start();
    app::Renderer renderer(program.app.forms.all());
    renderer.render();
    ASSERT_TRUE(program.connect()) << program.label();
    FrmShowLog& window = program.app.forms.frmShowLog;
    window.txtShowLog.setText({});
    renderer.render();

    renderer.viewOf(window)->menus().actionOf(*findMenuItem(window, "mnuAlarmArray(0)"))->trigger();
    ASSERT_TRUE(program.runUntil([&] { return window.cmdSendSCPI.enabled; }));
    renderer.render();
    EXPECT_EQ(widgetOf<QPlainTextEdit>(renderer, window, window.txtShowLog)->toPlainText(),
              "\nAlarm Cause(s): \nOPERATION SUMMARY:\n    HARDWARE SUMMARY:\n        GPS Failure+\n");
}

}  // namespace
}  // namespace kestrix::gui_test
