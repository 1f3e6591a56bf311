// Start-up and shut-down of the program: in-process, and the real binary and its start
// script where the process itself is what is tested.
#include "support/app_harness.h"
#include "support/signal_catcher.h"

#include "platform/dialogs.h"
#include "platform/exceptions.h"
#include "platform/testing.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QScopeGuard>
#include <QTimer>

#include <csignal>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace pwtest;

namespace {

QAction* findAction(QWidget* root, const QString& text)
{
    for (QAction* action : root->findChildren<QAction*>())
        if (action->text() == text)
            return action;
    return nullptr;
}

// Puts the preferences file back as it was (or absent) when the guard goes.
auto keepPrefsFile()
{
    const bool existed = QFileInfo::exists(PrefsFilePath());
    const QByteArray bytes = PrefsBytes();
    return qScopeGuard([existed, bytes] {
        if (existed)
            WriteFile(PrefsFilePath(), bytes);
        else
            QFile::remove(PrefsFilePath());
    });
}

// Runs the program's event loop; should it not end by itself within ten seconds, it is
// ended there and false tells it. The timer goes with the call: one left for a later test
// would end that test's loop.
bool loopEndsByItself()
{
    QObject scope;
    bool stillRan = false;
    QTimer::singleShot(10000, &scope, [&] {
        stillRan = true;
        QCoreApplication::exit(1);
    });
    app::Main();
    return !stillRan;
}

// After a run that ended in a quit: the program winds down with status 0, having written
// and shown nothing. The runtime is then shut down.
void expectQuietQuit(const AppHarness& harness, const QByteArray& prefsBefore)
{
    EXPECT_TRUE(platform::QuitRequested());
    app::Finalize();
    EXPECT_EQ(platform::RuntimeExit(), 0);
    EXPECT_EQ(PrefsBytes(), prefsBefore);
    EXPECT_TRUE(harness.dialogs.messages.empty());
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
        QMainWindow* window = platform::test::QtWindow(*Window1::implicitInstance());
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

TEST(StartUp, ClosingTheWindowEndsTheEventLoopWithStatusZeroAndWritesNothing)
{
    const auto prefs = keepPrefsFile();
    StoreKey(kValidKey.toLatin1());
    const QByteArray before = PrefsBytes();
    AppHarness harness;
    app::Initialize();
    QTimer::singleShot(0, [] { platform::test::QtWindow(*Window1::implicitInstance())->close(); });
    EXPECT_TRUE(loopEndsByItself());
    expectQuietQuit(harness, before);
    platform::RuntimeInit(0, nullptr);
}

// A signal from outside while the program waits for the user: the run ends as a quit
// does, and the signals get back what they had when the runtime shuts down.
TEST(StartUp, ASignalFromOutsideEndsTheEventLoopWithStatusZeroAndWritesNothing)
{
    const auto prefs = keepPrefsFile();
    for (int signal : SignalCatcher::kSignals) {
        SCOPED_TRACE(signal);
        StoreKey(kValidKey.toLatin1());
        const QByteArray before = PrefsBytes();
        const SignalCatcher catcher;
        AppHarness harness;
        app::Initialize();
        QObject scope;   // the timers go with this test
        // Sent once the window has opened and listed the profiles: the program then idles.
        bool listed = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &scope, [&] {
            auto* window = static_cast<Window1*>(platform::GetImplicitWindow(QStringLiteral("Window1.Window1")));
            if (!window ||
                platform::test::ListCount(window->control<platform::PopupMenu>(QStringLiteral("profilemenu"))) < 3)
                return;
            poll.stop();
            listed = true;
            ::kill(::getpid(), signal);
        });
        poll.start(10);
        EXPECT_TRUE(loopEndsByItself());
        EXPECT_TRUE(listed);
        expectQuietQuit(harness, before);
        EXPECT_EQ(SignalCatcher::Caught(), 0);
        for (int each : SignalCatcher::kSignals)
            EXPECT_TRUE(SignalCatcher::Catches(each)) << each;
        platform::RuntimeInit(0, nullptr);
    }
}

// Started through a link of another name, Qt would take the link's name for the
// application's: the program gives its own names, so its logo is still found.
TEST(StartUp, ThroughALinkOfAnotherNameTheProgramKeepsItsNamesAndItsLogo)
{
    const auto prefs = keepPrefsFile();
    StoreKey(kValidKey.toLatin1());
    AppHarness harness;
    const QString savedName = QCoreApplication::applicationName();
    const QString savedDisplayName = QApplication::applicationDisplayName();
    const auto restore = qScopeGuard([&] {
        QCoreApplication::setApplicationName(savedName);
        QApplication::setApplicationDisplayName(savedDisplayName);
        platform::RuntimeInit(0, nullptr);
    });
    QCoreApplication::setApplicationName(QStringLiteral("another-name"));

    static char linkName[] = "/tmp/links/another-name";
    static char* argv[] = {linkName, nullptr};
    QString name, displayName;
    bool resourcesFound = false, logoShown = false;
    QTimer::singleShot(0, [&] {
        name = QCoreApplication::applicationName();
        displayName = QApplication::applicationDisplayName();
        resourcesFound = platform::GetApplicationBundleResources() != nullptr;
        logoShown = Window1::implicitInstance()->control<platform::Canvas>(QStringLiteral("Canvas1")).Backdrop() != nullptr;
        platform::Quit();
    });
    QObject scope;   // the guard ends with this test
    QTimer::singleShot(10000, &scope, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(app::ProcessMain(1, argv), 0);
    EXPECT_EQ(name, QStringLiteral("pondwhirl-downloader"));
    EXPECT_EQ(displayName, QStringLiteral("PondWhirl Data Downloader"));
    EXPECT_TRUE(resourcesFound);
    EXPECT_TRUE(logoShown);
    EXPECT_TRUE(harness.dialogs.messages.empty());
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

namespace {

const QByteArray kNoDisplayLine = "This program needs a desktop session (or Xvfb): set DISPLAY or WAYLAND_DISPLAY.\n";

using EnvSettings = std::vector<std::pair<const char*, const char*>>;

// This process's environment with no display and no Qt platform chosen, then settings.
QProcessEnvironment environmentWithoutDisplay(const EnvSettings& settings)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(var));
    for (const auto& [name, value] : settings)
        env.insert(QString::fromLatin1(name), QString::fromLatin1(value));
    return env;
}

struct Finished {
    bool inTime = false;
    int status = -1;
    QByteArray out, err;
};

Finished runToEnd(const QString& program, const QStringList& arguments, const QProcessEnvironment& env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    Finished result;
    result.inTime = process.waitForFinished(20000);
    if (!result.inTime) {
        process.kill();
        process.waitForFinished(5000);
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void writeScript(const QString& path, const QByteArray& body)
{
    WriteFile(path, "#!/bin/sh\n" + body);
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

} // namespace

// Over SSH or in a container: one line that says what is missing, status 1, no abort.
TEST(StartUpWithoutDisplay, TheProgramSaysWhatIsMissingAndEndsWithStatusOne)
{
    const struct {
        const char* name;
        EnvSettings settings;
    } cases[] = {
        {"no display variables", {}},
        {"empty display variables", {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Nothing of the program runs: its preferences folder stays untouched.
        const QString prefs = ScratchFolder();
        QProcessEnvironment env = environmentWithoutDisplay(c.settings);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), prefs);
        const Finished run = runToEnd(QStringLiteral(PW_APP_BINARY), {}, env);
        ASSERT_TRUE(run.inTime);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, kNoDisplayLine);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(QDir(prefs).isEmpty());
    }
}

namespace {

// An X display number no server has: neither a socket (in the file system or abstract)
// nor a lock file. Far above the numbers servers take first.
QString freeXDisplay()
{
    QFile sockets(QStringLiteral("/proc/net/unix"));
    const QByteArray listening = sockets.open(QIODevice::ReadOnly) ? sockets.readAll() : QByteArray();
    for (int n = 593; n < 1000; ++n) {
        const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(n);
        if (!QFileInfo::exists(socket) && !QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) &&
            !listening.contains(socket.toLatin1() + '\n') && !listening.contains(socket.toLatin1() + ' '))
            return QStringLiteral(":%1").arg(n);
    }
    return {};
}

QByteArray unopenedLine(const QByteArray& named)
{
    return "This program could not open the display " + named + ": check that the desktop session (or Xvfb) is running.\n";
}

} // namespace

// A display that is named but not there: one line that names it, status 1, no abort
// (Qt alone would abort, advising a reinstall).
TEST(StartUpWithoutDisplay, ADisplayThatCannotBeOpenedIsNamedAndEndsWithStatusOne)
{
    const QString x = freeXDisplay();
    ASSERT_FALSE(x.isEmpty());
    const QByteArray xDisplay = x.toLatin1();
    // The test's own runtime folder, empty: no Wayland socket can be found in it.
    const QString runtime = ScratchFolder();
    ASSERT_TRUE(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray missingSocket = (ScratchFolder() + QStringLiteral("/no-socket")).toLocal8Bit();
    const QByteArray oddDisplay = xDisplay + "\n\x1b";

    const struct {
        const char* name;
        EnvSettings settings;
        QByteArray named;
    } cases[] = {
        {"an X display with no server", {{"DISPLAY", xDisplay.constData()}}, '"' + xDisplay + "\" (DISPLAY)"},
        {"an X display with no server and a Wayland display",
         {{"DISPLAY", xDisplay.constData()}, {"WAYLAND_DISPLAY", "wayland-none"}},
         '"' + xDisplay + "\" (DISPLAY)"},
        {"a Wayland socket name not in the runtime folder", {{"WAYLAND_DISPLAY", "wayland-none"}},
         "\"wayland-none\" (WAYLAND_DISPLAY)"},
        {"a Wayland socket path that does not exist", {{"WAYLAND_DISPLAY", missingSocket.constData()}},
         '"' + missingSocket + "\" (WAYLAND_DISPLAY)"},
        {"a display name holding control characters", {{"DISPLAY", oddDisplay.constData()}},
         '"' + xDisplay + "\\x0a\\x1b\" (DISPLAY)"},
        {"the X platform chosen by name alone", {{"QT_QPA_PLATFORM", "xcb"}},
         "for the platform \"xcb\" (QT_QPA_PLATFORM)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString prefs = ScratchFolder();
        QProcessEnvironment env = environmentWithoutDisplay(c.settings);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), prefs);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        const Finished run = runToEnd(QStringLiteral(PW_APP_BINARY), {}, env);
        ASSERT_TRUE(run.inTime);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, unopenedLine(c.named));
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(QDir(prefs).isEmpty());
    }
}

// What Qt says while it starts is held back only until it has started, then shown: a
// platform that Qt skips for the next one it is given still reads as it did.
TEST(StartUp, QtsMessagesWhileItStartsAreShownOnceItHasStarted)
{
    QProcessEnvironment env = environmentWithoutDisplay({{"QT_QPA_PLATFORM", "nonexistent;offscreen"}});
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), ScratchFolder());
    QProcess process;
    process.setProcessEnvironment(env);
    process.setReadChannel(QProcess::StandardError);
    process.start(QStringLiteral(PW_APP_BINARY), {});
    ASSERT_TRUE(process.waitForStarted(10000));
    const auto end = qScopeGuard([&] {
        process.kill();
        process.waitForFinished(5000);
    });
    const QByteArray skipped = "Could not find the Qt platform plugin \"nonexistent\"";
    QByteArray err;
    QElapsedTimer waited;
    waited.start();
    while (!err.contains('\n') && !waited.hasExpired(20000) && process.state() == QProcess::Running) {
        process.waitForReadyRead(500);
        err += process.readAllStandardError();
    }
    // Still running: it started, on the platform named second.
    EXPECT_EQ(process.state(), QProcess::Running) << err.toStdString();
    EXPECT_TRUE(err.contains(skipped)) << err.toStdString();
}

// The start script says the same before it builds anything; with a display it builds and
// starts the program. Run on a copy whose build step and program only leave a mark.
TEST(StartUpWithoutDisplay, TheStartScriptStopsBeforeBuilding)
{
    const QString tree = ScratchFolder();
    ASSERT_TRUE(QDir().mkpath(tree + QStringLiteral("/scripts")));
    ASSERT_TRUE(QDir().mkpath(tree + QStringLiteral("/build/bin")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(PW_SOURCE_DIR "/scripts/run-app.sh"), tree + QStringLiteral("/scripts/run-app.sh")));
    writeScript(tree + QStringLiteral("/scripts/build.sh"), "touch \"$(dirname \"$0\")/../built\"\n");
    writeScript(tree + QStringLiteral("/build/bin/pondwhirl-downloader"), "touch \"$(dirname \"$0\")/../../started\"\n");

    const struct {
        const char* name;
        EnvSettings settings;
        bool builds;
    } cases[] = {
        {"no display variables", {}, false},
        {"empty display variables", {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, false},
        {"an X display", {{"DISPLAY", ":99"}}, true},
        {"a Wayland display", {{"WAYLAND_DISPLAY", "wayland-0"}}, true},
        {"a chosen Qt platform", {{"QT_QPA_PLATFORM", "offscreen"}}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(tree + QStringLiteral("/built"));
        QFile::remove(tree + QStringLiteral("/started"));
        QProcessEnvironment env = environmentWithoutDisplay(c.settings);
        env.remove(QStringLiteral("BUILD_DIR"));
        const Finished run = runToEnd(QStringLiteral("bash"), {tree + QStringLiteral("/scripts/run-app.sh")}, env);
        ASSERT_TRUE(run.inTime);
        EXPECT_EQ(QFileInfo::exists(tree + QStringLiteral("/built")), c.builds);
        EXPECT_EQ(QFileInfo::exists(tree + QStringLiteral("/started")), c.builds);
        if (c.builds) {
            EXPECT_EQ(run.status, 0);
            EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        } else {
            EXPECT_NE(run.status, 0);
            EXPECT_EQ(run.err, kNoDisplayLine);
        }
    }
}
