#include "ui_test_window.h"

#include "platform/exceptions.h"
#include "platform/menus.h"
#include "platform/runtime.h"
#include "platform/testing.h"
#include "platform/window.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using pwtest::Record;
using pwtest::TestWindow;

namespace {

struct Row {
    bool quit;
    const char* name;
    const char* text;
    const char* shortcut;   // nullptr: never set
};

// File (Quit), then Edit (Undo, separator, Cut, Copy, Paste, Delete, separator, Select All).
std::unique_ptr<platform::MenuBar> StandardMenuBar()
{
    auto bar = std::make_unique<platform::MenuBar>();
    auto add = [](platform::MenuItem& parent, const Row& row) {
        std::unique_ptr<platform::MenuItem> item;
        if (row.quit)
            item = std::make_unique<platform::QuitMenuItem>();
        else
            item = std::make_unique<platform::MenuItem>();
        item->Constructor();
        item->SetName(row.name);
        item->SetAutoEnable(true);
        item->SetText(row.text);
        if (row.shortcut)
            item->SetKeyboardShortcut(row.shortcut);
        parent.Append(std::move(item));
    };
    add(*bar, {false, "FileMenu", "&File", ""});
    add(*bar->Child("FileMenu"), {true, "FileQuit", "&Quit", "Cmd+Q"});
    add(*bar, {false, "EditMenu", "&Edit", ""});
    for (const Row& row : {Row{false, "EditUndo", "&Undo", "Cmd+Z"}, Row{false, "UntitledMenu1", "-", nullptr},
                           Row{false, "EditCut", "Cu&t", "Cmd+X"}, Row{false, "EditCopy", "&Copy", "Cmd+C"},
                           Row{false, "EditPaste", "&Paste", "Cmd+V"}, Row{false, "EditClear", "&Delete", ""},
                           Row{false, "UntitledMenu0", "-", nullptr},
                           Row{false, "EditSelectAll", "Select &All", "Cmd+A"}})
        add(*bar->Child("EditMenu"), row);
    return bar;
}

QAction* ActionNamed(QMainWindow* window, const char* name)
{
    return window->menuWidget()->findChild<QAction*>(name);
}

TEST(MenuItems, FormATreeFoundByName)
{
    auto bar = StandardMenuBar();
    ASSERT_EQ(bar->Count(), 2);
    EXPECT_EQ(bar->Item(0)->Name(), "FileMenu");
    EXPECT_EQ(bar->Item(2), nullptr);
    platform::MenuItem* edit = bar->Child("EditMenu");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->Count(), 8);
    EXPECT_EQ(bar->Child("EditPaste"), nullptr);   // not a direct child of the bar
    EXPECT_EQ(bar->Lookup("EditPaste"), edit->Item(4));
    EXPECT_TRUE(bar->Lookup("FileQuit")->IsQuitItem());
    EXPECT_FALSE(edit->Item(1)->KeyboardShortcut().has_value());
    EXPECT_EQ(edit->Item(5)->KeyboardShortcut(), QString(""));
    EXPECT_THROW(edit->Append(nullptr), platform::NilObjectException);
}

// Each item shows as a Qt action with its title as given ("&" marks are Qt's mnemonics
// too), "Cmd+" as Ctrl, and "-" as a separator.
TEST(MenuView, ShowsTheTreeWithMnemonicsShortcutsAndSeparators)
{
    auto bar = StandardMenuBar();
    TestWindow window;
    window.onLayout = [&](TestWindow& w) { w.SetMenuBar(bar.get()); };
    window.Constructor();
    EXPECT_EQ(window.GetMenuBar(), bar.get());

    auto* qtBar = qobject_cast<QMenuBar*>(platform::test::QtWindow(window)->menuWidget());
    ASSERT_NE(qtBar, nullptr);
    EXPECT_FALSE(qtBar->isNativeMenuBar());
    const QList<QAction*> menus = qtBar->actions();
    ASSERT_EQ(menus.size(), bar->Count());
    for (int m = 0; m < bar->Count(); ++m) {
        const platform::MenuItem& menu = *bar->Item(m);
        EXPECT_EQ(menus[m]->text(), menu.Text());
        ASSERT_NE(menus[m]->menu(), nullptr);
        const QList<QAction*> actions = menus[m]->menu()->actions();
        ASSERT_EQ(actions.size(), menu.Count());
        for (int i = 0; i < menu.Count(); ++i) {
            const platform::MenuItem& item = *menu.Item(i);
            SCOPED_TRACE(item.Name().toStdString());
            EXPECT_EQ(actions[i]->isSeparator(), item.Text() == "-");
            if (actions[i]->isSeparator())
                continue;
            EXPECT_EQ(actions[i]->text(), item.Text());
            QString shortcut = item.KeyboardShortcut().value_or(QString());
            shortcut.replace("Cmd+", "Ctrl+");
            EXPECT_EQ(actions[i]->shortcut(), QKeySequence(shortcut));
        }
    }
    EXPECT_EQ(ActionNamed(platform::test::QtWindow(window), "FileQuit")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(ActionNamed(platform::test::QtWindow(window), "EditClear")->shortcut(), QKeySequence());
}

TEST(MenuView, QuitItemEndsTheEventLoop)
{
    platform::RuntimeInit(0, nullptr);
    auto bar = StandardMenuBar();
    TestWindow window;
    window.onLayout = [&](TestWindow& w) { w.SetMenuBar(bar.get()); };
    window.Constructor();
    QAction* quit = ActionNamed(platform::test::QtWindow(window), "FileQuit");
    ASSERT_NE(quit, nullptr);
    EXPECT_FALSE(platform::QuitRequested());

    bool loopStillRan = false;
    QTimer::singleShot(0, quit, [quit] { quit->trigger(); });
    // Should the quit not end the loop, this ends it and the flag shows it. Bound to an
    // object of this test: once the test is over it must not end a later test's loop.
    QObject guard;
    QTimer::singleShot(10000, &guard, [&] {
        loopStillRan = true;
        QCoreApplication::exit(1);
    });
    platform::RuntimeRun();
    EXPECT_TRUE(platform::QuitRequested());
    EXPECT_FALSE(loopStillRan);
}

// The Edit items act on the window's focused text field and are enabled when they apply.
class EditMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.onLayout = [&](TestWindow& w) {
            w.SetMenuBar(bar.get());
            platform::SetProperties(w, Record().boolean("Visible", true).bytes());
        };
        window.onCreateControls = [](TestWindow& w) {
            platform::SetProperties(w.make<platform::TextField>("field"), Record().integer("TabIndex", 0).bytes());
            platform::SetProperties(w.make<platform::PushButton>("button"),
                                    Record().integer("TabIndex", 1).integer("Top", 40).bytes());
        };
        window.Constructor();
        platform::test::QtWindow(window)->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(platform::test::QtWindow(window)));
        field = static_cast<QLineEdit*>(window.ControlByName("field")->widget());
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == field; }, 5000));
    }

    QAction* item(const char* name) { return ActionNamed(platform::test::QtWindow(window), name); }

    std::unique_ptr<platform::MenuBar> bar = StandardMenuBar();
    TestWindow window;
    QLineEdit* field = nullptr;
};

TEST_F(EditMenu, PasteSelectAllCutAndUndoActOnTheFocusedField)
{
    QApplication::clipboard()->setText("0123456789abcdefKEY");
    QAction* paste = item("EditPaste");
    ASSERT_NE(paste, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return paste->isEnabled(); }, 5000));
    paste->trigger();
    EXPECT_EQ(field->text(), "0123456789abcdefKEY");

    EXPECT_FALSE(item("EditCut")->isEnabled());   // nothing selected yet
    ASSERT_TRUE(item("EditSelectAll")->isEnabled());
    item("EditSelectAll")->trigger();
    EXPECT_EQ(field->selectedText(), "0123456789abcdefKEY");

    QApplication::clipboard()->setText("other");
    ASSERT_TRUE(item("EditCut")->isEnabled());
    item("EditCut")->trigger();
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "0123456789abcdefKEY");

    ASSERT_TRUE(item("EditUndo")->isEnabled());
    item("EditUndo")->trigger();
    EXPECT_EQ(field->text(), "0123456789abcdefKEY");

    field->setSelection(0, 10);
    ASSERT_TRUE(item("EditClear")->isEnabled());
    item("EditClear")->trigger();
    EXPECT_EQ(field->text(), "abcdefKEY");
}

TEST_F(EditMenu, ItemsAreDisabledWhenNoTextFieldHasTheFocus)
{
    QApplication::clipboard()->setText("text");
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("EditPaste")->isEnabled(); }, 5000));

    window.ControlByName("button")->widget()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !item("EditPaste")->isEnabled(); }, 5000));
    for (const char* name : {"EditUndo", "EditCut", "EditCopy", "EditClear", "EditSelectAll"})
        EXPECT_FALSE(item(name)->isEnabled()) << name;
    item("EditPaste")->trigger();
    EXPECT_EQ(field->text(), "");
    EXPECT_TRUE(item("FileQuit")->isEnabled());
}

// The keys as a user types them into the focused field: Ctrl+V pastes, and Ctrl+Q still
// reaches the quit item.
TEST_F(EditMenu, KeysInTheFieldPasteAndQuit)
{
    platform::RuntimeInit(0, nullptr);
    QApplication::clipboard()->setText("pasted");
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field->text(), "pasted");
    EXPECT_FALSE(platform::QuitRequested());
    QTest::keyClick(field, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(platform::QuitRequested());
    EXPECT_EQ(field->text(), "pasted");
}

} // namespace
