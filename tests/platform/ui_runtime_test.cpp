#include "ui_test_window.h"

#include "support/scripted_dialogs.h"

#include "platform/exceptions.h"
#include "platform/runtime.h"
#include "platform/testing.h"
#include "platform/window.h"

#include <QApplication>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>

using pwtest::TestWindow;

namespace {

TEST(ClassRecords, AreBuiltOnceFrameworkClassesFirst)
{
    platform::InitializeFrameworkClasses();
    const platform::ClassRecord* app = platform::RegisterClass("App", platform::ApplicationClass());
    const platform::ClassRecord* window = platform::RegisterClass("Window1.Window1", platform::WindowClass());
    platform::InitializeFrameworkClasses();

    EXPECT_EQ(platform::RegisterClass("App", nullptr), app);
    EXPECT_EQ(app->base, platform::ApplicationClass());
    EXPECT_EQ(app->fullName, "App");
    EXPECT_EQ(platform::FindClass("Window1.Window1"), window);
    EXPECT_EQ(platform::FindClass("Window2.Window2"), nullptr);

    const QStringList order = platform::test::ClassRecordOrder();
    EXPECT_EQ(order.count("App"), 1);
    EXPECT_EQ(order.count("Window"), 1);
    for (const char* framework : {"Application", "Window", "MenuBar"})
        EXPECT_LT(order.indexOf(framework), order.indexOf("App")) << framework;
    EXPECT_EQ(order.indexOf("App") + 1, order.indexOf("Window1.Window1"));
}

TEST(UnhandledException, ShowsOneMessageNamingTheException)
{
    const struct {
        std::exception_ptr exception;
        QStringList named;
    } cases[] = {
        {std::make_exception_ptr(platform::NilObjectException("the control apikeyfield")),
         {"NilObjectException", "apikeyfield"}},
        {std::make_exception_ptr(platform::IOException(13)), {"IOException", "13"}},
        {std::make_exception_ptr(platform::RuntimeException()), {"RuntimeException"}},
        {std::make_exception_ptr(std::runtime_error("disk on fire")), {"disk on fire"}},
        {std::make_exception_ptr(42), {"unknown exception"}},
    };
    platform::RuntimeInit(0, nullptr);
    int count = 0;
    for (const auto& c : cases) {
        pwtest::ScriptedDialogs dialogs;
        platform::UnhandledException(c.exception);
        EXPECT_EQ(platform::UnhandledExceptionCount(), ++count);
        ASSERT_EQ(dialogs.messages.size(), 1u) << c.named.join(' ').toStdString();
        for (const QString& part : c.named)
            EXPECT_TRUE(dialogs.messages[0].contains(part)) << dialogs.messages[0].toStdString();
    }
}

TEST(Exceptions, WhatNamesTheClassAndMessage)
{
    EXPECT_STREQ(platform::NilObjectException("no logo").what(), "NilObjectException: no logo");
    const platform::IOException io(28, QString::fromUtf8("disque plein \xC3\xA9"));
    EXPECT_EQ(io.ErrorNumber(), 28);
    EXPECT_STREQ(io.what(), "IOException: disque plein \xC3\xA9");
    EXPECT_STREQ(platform::RuntimeException().what(), "RuntimeException");
}

// A handler that throws while the event loop runs: the exception stops at the layer's
// boundary, one message names it, and the loop goes on to the quit.
TEST(UnhandledException, ThrownInAnActionHandlerStopsAtTheEventLoop)
{
    platform::RuntimeInit(0, nullptr);
    pwtest::ScriptedDialogs dialogs;
    TestWindow window;
    int calls = 0;
    window.onCreateControls = [&](TestWindow& w) {
        auto& button = w.make<platform::PushButton>("button");
        button.InstallEventHandler("Action", [&](platform::PushButton&) {
            ++calls;
            throw platform::IOException(5, "write failed");
        });
    };
    window.Constructor();
    platform::test::QtWindow(window)->show();
    auto* button = static_cast<QPushButton*>(window.ControlByName("button")->widget());

    bool ranAfterClick = false;
    QTimer::singleShot(0, button, [&] {
        QTest::mouseClick(button, Qt::LeftButton);
        QTimer::singleShot(0, qApp, [&] {
            ranAfterClick = true;
            platform::Quit();
        });
    });
    // Bound to an object of this test: once the test is over it must not end a later
    // test's event loop.
    QObject guard;
    QTimer::singleShot(10000, &guard, [] { QCoreApplication::exit(1); });
    platform::RuntimeRun();

    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(ranAfterClick);
    EXPECT_EQ(platform::UnhandledExceptionCount(), 1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].contains("IOException"));
    EXPECT_TRUE(dialogs.messages[0].contains("5"));

    // A direct Push() raises the event just as a click does, with the same boundary.
    EXPECT_NO_THROW(static_cast<platform::PushButton&>(*window.ControlByName("button")).Push());
    EXPECT_EQ(platform::UnhandledExceptionCount(), 2);
}

// The whole road of a run, as the program's main takes it.
TEST(Runtime, StartUpRunAndShutDownInOrder)
{
    platform::RuntimeInit(0, nullptr);
    QPointer<QWidget> qtWindow;
    TestWindow* window = nullptr;
    int startups = 0;
    platform::RunFrameworkInitialization([&] {
        ++startups;
        platform::RuntimeRegisterAppObject(std::make_unique<platform::Application>());
        auto owned = std::make_unique<TestWindow>();
        window = owned.get();
        platform::adoptWindow(std::move(owned));   // the runtime destroys it at shut-down
        window->Constructor();
        qtWindow = platform::test::QtWindow(*window);
    });
    EXPECT_EQ(startups, 1);
    ASSERT_NE(platform::test::App(), nullptr);
    EXPECT_EQ(platform::GetImplicitWindow("TestWindow.TestWindow"), window);
    EXPECT_EQ(platform::GetImplicitWindow("Window1.Window1"), nullptr);

    QTimer::singleShot(0, qApp, [] { platform::Quit(); });
    QObject guard;   // the time-out below goes with this test
    QTimer::singleShot(10000, &guard, [] { QCoreApplication::exit(1); });
    platform::RuntimeRun();
    EXPECT_TRUE(platform::QuitRequested());

    platform::ReleaseWindowList();
    EXPECT_TRUE(qtWindow.isNull());
    EXPECT_EQ(platform::GetImplicitWindow("TestWindow.TestWindow"), nullptr);
    EXPECT_EQ(platform::RuntimeExit(), 0);
    EXPECT_EQ(platform::test::App(), nullptr);
    // The tests' own QApplication is not the runtime's to destroy.
    EXPECT_NE(QCoreApplication::instance(), nullptr);
}

TEST(Runtime, ExitStatusIsOneAfterAnUnhandledExceptionAndWindowsGoFirst)
{
    pwtest::ScriptedDialogs dialogs;
    platform::RuntimeInit(0, nullptr);
    auto owned = std::make_unique<TestWindow>();
    TestWindow* window = owned.get();
    platform::adoptWindow(std::move(owned));
    window->Constructor();
    QPointer<QWidget> qtWindow = platform::test::QtWindow(*window);
    platform::UnhandledException(std::make_exception_ptr(platform::NilObjectException()));
    EXPECT_EQ(platform::RuntimeExit(), 1);
    EXPECT_TRUE(qtWindow.isNull());

    // A new run starts clean.
    platform::RuntimeInit(0, nullptr);
    EXPECT_EQ(platform::UnhandledExceptionCount(), 0);
    EXPECT_EQ(platform::RuntimeExit(), 0);
}

TEST(Runtime, QuitBeforeTheLoopStartsIsNotLost)
{
    platform::RuntimeInit(0, nullptr);
    platform::Quit();
    bool loopRan = false;
    QTimer::singleShot(0, qApp, [&] {
        loopRan = true;
        QCoreApplication::exit(1);
    });
    platform::RuntimeRun();
    EXPECT_FALSE(loopRan);
    QCoreApplication::processEvents();   // let the guard timer go
}

TEST(Runtime, YieldLetsPendingEventsRun)
{
    bool ran = false;
    QTimer::singleShot(0, qApp, [&] { ran = true; });
    EXPECT_FALSE(ran);
    platform::YieldToNextThread();
    EXPECT_TRUE(ran);
}

} // namespace
