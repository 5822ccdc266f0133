// Text boxes: appends reach the widget without replacing its text, and typing goes to the
// key-press handler before the widget inserts the key, then flows back into the state.

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "gui_test_support.h"

namespace kestrix::gui_test {
namespace {

struct Change {
    int position, removed, added;
};

class TextBoxRender : public ::testing::Test, private WithApplication {
protected:
    TextBoxRender() {
        box.multiLine = true;
        box.geometry = {0, 0, 4000, 3000};
        line.geometry = {0, 3000, 4000, 300};
        window.geometry = {0, 0, 5000, 4000};
        window.controls = {&box, &line};
        window.show();
        renderer = std::make_unique<app::Renderer>(std::vector<Window*>{&window}, platform::qt::Twips(96, 96));
    }

    void type(QWidget* widget, Qt::Key key, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(widget, &press);
    }

    Window window{"window", "Text"};
    TextBox box{"box"};
    TextBox line{"line"};
    std::unique_ptr<app::Renderer> renderer;
    QPlainTextEdit* edit() { return widgetOf<QPlainTextEdit>(*renderer, window, box); }
};

TEST_F(TextBoxRender, AnAppendIsAddedAtTheEndWithoutReplacingTheText) {
    box.setText("first\r\n");
    renderer->render();
    std::vector<Change> changes;
    QObject::connect(edit()->document(), &QTextDocument::contentsChange, [&](int position, int removed, int added) {
        changes.push_back({position, removed, added});
    });

    box.append("second\r\nthird\r");
    renderer->render();
    box.append("\nfourth");  // completes the CR LF of the previous append
    renderer->render();

    EXPECT_EQ(edit()->toPlainText(), "first\nsecond\nthird\nfourth");
    ASSERT_FALSE(changes.empty());
    for (const Change& change : changes) {
        EXPECT_GE(change.position, 6);  // nothing before the appended part was touched
        EXPECT_EQ(change.removed, 0);
    }
}

// A log appends and puts the caret at the end: the newest entry must come into view, also when
// the caret was already at the end before the append.
TEST_F(TextBoxRender, AnAppendWithTheCaretPutAtTheEndScrollsToTheNewestLine) {
    box.verticalScrollBar = true;
    box.geometry = {0, 0, 4000, 900};
    for (int i = 1; i <= 40; ++i) {
        box.append("\r\nline " + std::to_string(i));
        box.moveCaretToEnd();
        renderer->render();
        QScrollBar* bar = edit()->verticalScrollBar();
        if (i > 10) {
            SCOPED_TRACE(i);
            ASSERT_GT(bar->maximum(), 0);
            EXPECT_EQ(bar->value(), bar->maximum());
        }
    }
}

TEST_F(TextBoxRender, AReplacedTextAndASelectionAreShown) {
    box.setText("one\r\ntwo");
    box.setSelection(5, 3);
    renderer->render();
    EXPECT_EQ(edit()->toPlainText(), "one\ntwo");
    EXPECT_EQ(edit()->textCursor().selectedText(), "two");
    box.setText("three");
    renderer->render();
    EXPECT_EQ(edit()->toPlainText(), "three");
}

TEST_F(TextBoxRender, TheHandlerSeesAKeyBeforeTheBoxInsertsItAndTheTextFlowsBack) {
    box.setText("ab\r\ncd");
    box.moveCaretToEnd();
    renderer->render();
    std::string keys;
    std::vector<QString> shownAtKey;
    box.onKeyPress = [&](char key) {
        keys += key;
        shownAtKey.push_back(edit()->toPlainText());
    };
    const auto revision = box.revision();

    type(edit(), Qt::Key_X, "x");
    EXPECT_EQ(shownAtKey.at(0), "ab\ncd");
    EXPECT_EQ(box.text(), "ab\r\ncdx");
    EXPECT_EQ(box.selStart(), 7u);

    type(edit(), Qt::Key_Return, "\r");
    type(edit(), Qt::Key_Y, "y");
    type(edit(), Qt::Key_Backspace, "\b");
    EXPECT_EQ(keys, "x\ry\b");
    EXPECT_EQ(box.text(), "ab\r\ncdx\r\n");  // the typed line break is CR LF; the old one kept its bytes
    EXPECT_EQ(box.selStart(), 9u);
    EXPECT_EQ(box.revision(), revision);  // what the user typed is not echoed back
}

TEST_F(TextBoxRender, WhatTheHandlerDoesIsShownBeforeTheKeyIsInserted) {
    box.setText("abc");
    box.setSelection(0, 0);
    renderer->render();
    box.onKeyPress = [&](char) { box.moveCaretToEnd(); };
    type(edit(), Qt::Key_Z, "z");
    EXPECT_EQ(box.text(), "abcz");
    EXPECT_EQ(edit()->toPlainText(), "abcz");
}

TEST_F(TextBoxRender, ASingleLineBoxKeepsEnterForTheHandler) {
    line.setText("9600");
    renderer->render();
    auto* edit = widgetOf<QLineEdit>(*renderer, window, line);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "9600");
    std::string keys;
    line.onKeyPress = [&](char key) { keys += key; };
    edit->setCursorPosition(4);
    type(edit, Qt::Key_0, "0");
    type(edit, Qt::Key_Return, "\r");
    EXPECT_EQ(keys, "0\r");
    EXPECT_EQ(line.text(), "96000");
    EXPECT_EQ(line.selStart(), 5u);
}

}  // namespace
}  // namespace kestrix::gui_test
