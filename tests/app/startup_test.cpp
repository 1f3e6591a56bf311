// Start-up and shut-down of the program, in-process.
#include "support/app_harness.h"

#include "platform/dialogs.h"
#include "platform/exceptions.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

using namespace pwtest;

namespace {

QAction* findAction(QWidget* root, const QString& text)
{
    for (QAction* action : root->findChildren<QAction*>())
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace

TEST(StartUp, ArraysStartWithOneEmptyElement)
{
    Window1::ctblinit();
    Window1 window;
    EXPECT_EQ(window.profiles, QStringList{QString()});
    EXPECT_EQ(window.ids, QStringList{QString()});
    EXPECT_EQ(window.classRecord()->fullName, QStringLiteral("Window1.Window1"));
}

TEST(StartUp, FileQuitEndsTheEventLoopWithStatusZeroAndWritesNothing)
{
    StoreKey(kValidKey.toLatin1());
    const QByteArray before = PrefsBytes();
    AppHarness harness;
    app::Initialize();
    // Once the loop runs, choose File > Quit as a user would.
    bool loopRan = false;
    QTimer::singleShot(0, [&loopRan] {
        loopRan = true;
        QMainWindow* window = Window1::implicitInstance()->qtWindow();
        QAction* quit = findAction(window->menuBar(), QStringLiteral("&Quit"));
        ASSERT_NE(quit, nullptr);
        quit->trigger();
    });
    app::Main();
    EXPECT_TRUE(loopRan);
    app::Finalize();
    EXPECT_EQ(MenuBar1::existingInstance(), nullptr);
    EXPECT_EQ(platform::RuntimeExit(), 0);
    EXPECT_EQ(PrefsBytes(), before);
    EXPECT_EQ(platform::UnhandledExceptionCount(), 0);
}

TEST(StartUp, AnExceptionDuringStartUpReachesTheHandlerOnceAndSkipsTheEventLoop)
{
    ScriptedDialogs dialogs;
    app::Initialize();
    QObject scope;
    bool loopRan = false;
    QTimer::singleShot(0, &scope, [&loopRan] { loopRan = true; });
    app::Main(+[] {
        app::NewAppInstance();
        throw platform::NilObjectException(QStringLiteral("missing"));
    });
    EXPECT_EQ(platform::UnhandledExceptionCount(), 1);
    EXPECT_FALSE(loopRan);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("NilObjectException")));
    app::Finalize();
    EXPECT_EQ(MenuBar1::existingInstance(), nullptr);
    EXPECT_NE(platform::RuntimeExit(), 0);
}
