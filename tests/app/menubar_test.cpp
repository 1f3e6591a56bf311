// The menu bar as the user meets it in the open window.
#include "support/app_harness.h"

#include "platform/testing.h"

#include <QAction>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

using namespace pwtest;

namespace {

// What a menu shows, row by row: the title with its mnemonic and shortcut, "-" for a
// separator.
QStringList rows(const QMenu* menu)
{
    QStringList shown;
    for (const QAction* action : menu->actions())
        shown << (action->isSeparator() ? QStringLiteral("-")
                                        : action->text() + u'\t' + action->shortcut().toString());
    return shown;
}

} // namespace

TEST(MenuBar, ShowsFileAndEditAndCtrlQQuits)
{
    platform::RuntimeInit(0, nullptr);
    StoreKey(kValidKey.toLatin1());
    AppHarness harness;
    harness.start();
    QMenuBar* bar = platform::test::QtWindow(harness.window())->menuBar();
    const QList<QAction*> menus = bar->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("&Edit"));
    EXPECT_EQ(rows(menus[0]->menu()), QStringList{QStringLiteral("&Quit\tCtrl+Q")});
    EXPECT_EQ(rows(menus[1]->menu()),
              (QStringList{"&Undo\tCtrl+Z", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V", "&Delete\t", "-",
                           "Select &All\tCtrl+A"}));
    // The application object and the window share the one bar.
    EXPECT_EQ(platform::test::App()->GetMenuBar(), harness.window().GetMenuBar());

    // Ctrl+Q typed in the key field reaches the quit item; the next run starts afresh.
    struct NextRun {
        ~NextRun() { platform::RuntimeInit(0, nullptr); }
    } nextRun;
    platform::test::QtWindow(harness.window())->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(platform::test::QtWindow(harness.window())));
    EXPECT_FALSE(platform::QuitRequested());
    QTest::keyClick(harness.keyField().widget(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(platform::QuitRequested());
    EXPECT_EQ(harness.keyField().Text(), kValidKey);
}

TEST(MenuBar, IsBuiltOnceAndReleasedAtShutDown)
{
    EXPECT_EQ(MenuBar1::existingInstance(), nullptr);
    MenuBar1* first = MenuBar1::implicitInstance();
    MenuBar1* second = MenuBar1::implicitInstance();
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->Count(), 2);   // not built twice
    MenuBar1::implicitInstanceExit();
    EXPECT_EQ(MenuBar1::existingInstance(), nullptr);
}
