#include "platform/shell.h"
#include "platform/testing.h"

#include "support/test_env.h"

#include "platform/runtime.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <ostream>
#include <thread>
#include <vector>

using platform::Shell;

namespace {

// Aborts the test process when a wait that must return never does: a hang then fails at
// once, with a message, instead of at the test runner's time-out.
class Watchdog {
public:
    explicit Watchdog(int seconds)
        : thread_([this, seconds] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!wake_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) {
                  std::fprintf(stderr, "Execute did not return within %d s\n", seconds);
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

std::set<pid_t> runningDescendants();

// A shell loop that waits, bounded, for a file that the test makes from inside the wait.
QString waitForFile(const QString& path)
{
    return QStringLiteral("for i in $(seq 400); do [ -e '%1' ] && break; sleep 0.05; done; ").arg(path);
}

TEST(ShellTest, OutputIsCapturedByteForByte)
{
    const struct {
        const char* line;
        QByteArray bytes;
    } cases[] = {
        {"printf 'a\\nb'", QByteArray("a\nb")},
        {"printf ''", QByteArray()},
        {"printf '\\303\\251t\\303\\251\\n'", QByteArray("\xC3\xA9t\xC3\xA9\n")},
        {"printf '\\377\\376ok\\000z'", QByteArray("\xFF\xFEok\0z", 6)},
        {"echo one | sed 's/one/two/'", QByteArray("two\n")},
    };
    Shell shell;
    for (const auto& c : cases) {
        shell.Execute(QString::fromUtf8(c.line));
        EXPECT_EQ(platform::test::ResultBytes(shell), c.bytes) << c.line;
        EXPECT_EQ(shell.Result(), QString::fromUtf8(c.bytes)) << c.line;
        EXPECT_EQ(shell.ExitCode(), 0) << c.line;
    }
    // Reading again gives the same; the next line starts afresh.
    shell.Execute(QStringLiteral("echo first"));
    EXPECT_EQ(shell.Result(), QStringLiteral("first\n"));
    EXPECT_EQ(shell.Result(), QStringLiteral("first\n"));
    shell.Execute(QStringLiteral("true"));
    EXPECT_EQ(platform::test::ResultBytes(shell), QByteArray());
}

TEST(ShellTest, StandardErrorIsKeptApart)
{
    Shell shell;
    shell.Execute(QStringLiteral("echo out; echo err >&2; echo out2"));
    EXPECT_EQ(platform::test::ResultBytes(shell), QByteArray("out\nout2\n"));
    EXPECT_EQ(shell.ErrorOutput(), QByteArray("err\n"));
}

TEST(ShellTest, ExitCodeOfTheLine)
{
    const struct {
        const char* line;
        int exitCode;
    } cases[] = {
        {"true", 0},
        {"exit 3", 3},
        {"false | true", 0},
        {"true | false", 1},
        {"kill -9 $$", -1},
        {"no-such-command-pw", 127},
    };
    Shell shell;
    for (const auto& c : cases) {
        shell.Execute(QString::fromUtf8(c.line));
        EXPECT_EQ(shell.ExitCode(), c.exitCode) << c.line;
        EXPECT_FALSE(shell.Ended()) << c.line;   // a line killed on its own is not ended by a quit
    }
}

TEST(ShellTest, CommandNotFoundLeavesResultEmpty)
{
    Shell shell;
    shell.Execute(QStringLiteral("curl-that-is-not-here --fail http://127.0.0.1:9/"));
    EXPECT_EQ(shell.ExitCode(), 127);
    EXPECT_EQ(platform::test::ResultBytes(shell), QByteArray());
    EXPECT_TRUE(shell.ErrorOutput().contains("not found")) << shell.ErrorOutput().constData();
}

// A single argument longer than the kernel takes (128 KiB) makes exec of /bin/sh fail:
// the shell never starts and never finishes, and the wait must still end.
TEST(ShellTest, ShellThatCannotStartDoesNotHang)
{
    const Watchdog watchdog(30);
    Shell shell;
    shell.Execute(QStringLiteral("echo x #") + QString(300 * 1024, u'y'));
    EXPECT_EQ(shell.ExitCode(), -1);
    EXPECT_EQ(platform::test::ResultBytes(shell), QByteArray());
    // The runner is usable again afterwards.
    shell.Execute(QStringLiteral("echo again"));
    EXPECT_EQ(shell.Result(), QStringLiteral("again\n"));
    EXPECT_EQ(shell.ExitCode(), 0);
}

TEST(ShellTest, StandardInputIsClosed)
{
    const Watchdog watchdog(30);
    Shell shell;
    // With an open standard input cat would block until timeout ends it (status 124).
    shell.Execute(QStringLiteral("timeout 10 cat; echo \"status $?\""));
    EXPECT_EQ(shell.Result(), QStringLiteral("status 0\n"));
}

TEST(ShellTest, ChildRunsInTheCLocale)
{
    const bool wasSet = qEnvironmentVariableIsSet("LC_ALL");
    const QByteArray saved = qgetenv("LC_ALL");
    const auto restore = qScopeGuard([&] {
        if (wasSet)
            qputenv("LC_ALL", saved);
        else
            qunsetenv("LC_ALL");
        qunsetenv("PW_SHELL_PROBE");
    });
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("PW_SHELL_PROBE", "kept");
    Shell shell;
    shell.Execute(QStringLiteral("echo \"$LC_ALL $PW_SHELL_PROBE\"; printf '\\303\\251' | grep -c '^..$'"));
    // In the C locale "é" is two characters to grep.
    EXPECT_EQ(shell.Result(), QStringLiteral("C kept\n1\n"));
}

TEST(ShellTest, LargeOutputOnBothChannelsDoesNotDeadlock)
{
    const Watchdog watchdog(60);
    Shell shell;
    shell.Execute(QStringLiteral(
        "head -c 3000000 /dev/zero | tr '\\0' e >&2; head -c 5000000 /dev/zero | tr '\\0' x; echo"));
    ASSERT_EQ(platform::test::ResultBytes(shell).size(), 5000001);
    EXPECT_EQ(platform::test::ResultBytes(shell).count('x'), 5000000);
    EXPECT_EQ(shell.ErrorOutput().size(), 3000000);
    EXPECT_EQ(shell.ExitCode(), 0);
}

TEST(ShellTest, OutputPastTheLimitIsNotReadAndEndsTheLine)
{
    const Watchdog watchdog(60);
    constexpr qint64 kLimit = 1'000'000;
    const struct {
        const char* label;
        const char* line;
        bool cut;
    } cases[] = {
        {"exactly the limit", "head -c 1000000 /dev/zero", false},
        {"one byte more", "head -c 1000001 /dev/zero", true},
        {"an output that never ends", "yes", true},
        {"never ending, in a process that ignores TERM", "trap '' TERM; yes", true},
        {"never ending, on standard error too", "yes >&2 & yes", true},
    };
    Shell shell;
    shell.SetOutputLimit(kLimit);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        shell.Execute(QString::fromUtf8(c.line));
        EXPECT_EQ(shell.OutputCut(), c.cut);
        EXPECT_FALSE(shell.Ended());
        EXPECT_EQ(shell.ExitCode(), c.cut ? -1 : 0);
        EXPECT_EQ(platform::test::ResultBytes(shell).size(), c.cut ? kLimit + 1 : kLimit);
    }
    // Nothing of a cut line runs on.
    EXPECT_TRUE(QTest::qWaitFor([] { return runningDescendants().empty(); }, 5000));
    // Without a limit the whole output is read again.
    shell.SetOutputLimit(0);
    shell.Execute(QStringLiteral("head -c 3000000 /dev/zero"));
    EXPECT_FALSE(shell.OutputCut());
    EXPECT_EQ(platform::test::ResultBytes(shell).size(), 3000000);
}

class InputRecorder : public QWidget {
public:
    bool running = false;
    QString marker;
    int keysWhileRunning = 0;
    int keys = 0;
    int paintsWhileRunning = 0;

protected:
    void keyPressEvent(QKeyEvent*) override
    {
        ++keys;
        if (running)
            ++keysWhileRunning;
    }
    void paintEvent(QPaintEvent*) override
    {
        if (!running)
            return;
        ++paintsWhileRunning;
        QFile(marker).open(QIODevice::WriteOnly);
    }
};

// While the line runs, timers fire and windows repaint, but input waits for its end.
TEST(ShellTest, WaitPaintsButHoldsUserInput)
{
    const Watchdog watchdog(60);
    InputRecorder widget;
    widget.marker = QDir(pwtest::ScratchFolder()).filePath(QStringLiteral("painted"));
    widget.resize(100, 100);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));

    bool timerFired = false;
    QTimer::singleShot(20, &widget, [&] {
        timerFired = true;
        QCoreApplication::postEvent(&widget, new QKeyEvent(QEvent::KeyPress, Qt::Key_A,
                                                           Qt::NoModifier, QStringLiteral("a")));
        widget.update();
    });
    Shell shell;
    widget.running = true;
    // The line ends once the widget has painted during the wait.
    shell.Execute(waitForFile(widget.marker) + QStringLiteral("[ -e '%1' ] && echo painted").arg(widget.marker));
    widget.running = false;

    EXPECT_TRUE(timerFired);
    EXPECT_EQ(shell.Result(), QStringLiteral("painted\n"));
    EXPECT_GE(widget.paintsWhileRunning, 1);
    EXPECT_EQ(widget.keysWhileRunning, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return widget.keys == 1; }, 5000));
    EXPECT_EQ(widget.keys, 1);
}

// Quitting the application ends every event loop at once; the line must still run to
// its end and its whole output be kept.
TEST(ShellTest, QuitDuringTheWaitDoesNotCutTheLineShort)
{
    const auto restore = qScopeGuard([] { pwtest::ResumeAfterQuit(); });
    const Watchdog watchdog(60);
    const QString marker = QDir(pwtest::ScratchFolder()).filePath(QStringLiteral("quit-asked"));
    QTimer::singleShot(20, [&] {
        QCoreApplication::exit(0);
        QFile(marker).open(QIODevice::WriteOnly);
    });
    Shell shell;
    shell.Execute(waitForFile(marker) + QStringLiteral("echo finished"));
    EXPECT_EQ(shell.Result(), QStringLiteral("finished\n"));
    EXPECT_EQ(shell.ExitCode(), 0);
    // And the next line as well.
    shell.Execute(QStringLiteral("echo next"));
    EXPECT_EQ(shell.Result(), QStringLiteral("next\n"));
}

// --- ending a line on quit --------------------------------------------------------------

// Every process descended from this one that still runs (a zombie has ended).
std::set<pid_t> runningDescendants()
{
    std::map<pid_t, pid_t> parent;
    std::set<pid_t> running;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!number || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> rest = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (rest.size() < 2)
            continue;
        parent[pid] = rest[1].toInt();
        if (rest[0] != "Z" && rest[0] != "X")
            running.insert(pid);
    }
    std::set<pid_t> found{::getpid()};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [pid, up] : parent)
            if (found.count(up) && !found.count(pid))
                grew = found.insert(pid).second;
    }
    std::set<pid_t> out;
    for (pid_t pid : found)
        if (pid != ::getpid() && running.count(pid))
            out.insert(pid);
    return out;
}

bool noneRunsWithin(const std::set<pid_t>& pids, int ms)
{
    return QTest::qWaitFor(
        [&] {
            const std::set<pid_t> now = runningDescendants();
            for (pid_t pid : pids)
                if (now.count(pid))
                    return false;
            return true;
        },
        ms);
}

// A test that quits puts the quit back: the runtime's flag, and Qt's, under which a new
// event loop returns at once until the application's own loop has run.
class ShellQuit : public ::testing::Test {
protected:
    void TearDown() override { pwtest::ResumeAfterQuit(); }

    // Calls platform::Quit() once the line runs at least `processes` processes, and
    // remembers them.
    void quitOnce(std::size_t processes)
    {
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, &poll, [this, processes] {
            const std::set<pid_t> now = runningDescendants();
            if (now.size() < processes)
                return;
            poll.stop();
            started = now;
            quitAt = std::chrono::steady_clock::now();
            platform::Quit();
        });
        poll.start();
    }
    double secondsSinceQuit() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - quitAt).count();
    }

    QTimer poll;
    std::set<pid_t> started;
    std::chrono::steady_clock::time_point quitAt;
};

TEST_F(ShellQuit, EndsTheLineWithEveryProcessItStartedEvenOnesIgnoringTerm)
{
    const Watchdog watchdog(60);
    Shell shell;
    quitOnce(3);
    // The shell, a background sleep that ignores SIGTERM, and a foreground sleep.
    shell.Execute(QStringLiteral("echo begun; (trap '' TERM; exec sleep 30) & sleep 30; echo never"));
    const double seconds = secondsSinceQuit();
    std::printf("the line ended %.3f s after the quit\n", seconds);
    EXPECT_LT(seconds, 5.0);   // a short grace, then SIGKILL: well within 2 s
    EXPECT_EQ(shell.ExitCode(), -1);
    EXPECT_TRUE(shell.Ended());
    EXPECT_EQ(shell.Result(), QStringLiteral("begun\n"));
    EXPECT_GE(started.size(), 3u);
    EXPECT_TRUE(noneRunsWithin(started, 5000));
    EXPECT_TRUE(runningDescendants().empty());
}

TEST_F(ShellQuit, StartsNoLineOnceQuitting)
{
    platform::Quit();
    const QString marker = QDir(pwtest::ScratchFolder()).filePath(QStringLiteral("ran"));
    Shell shell;
    shell.Execute(QStringLiteral("touch '%1'; echo ran").arg(marker));
    EXPECT_EQ(shell.ExitCode(), -1);
    EXPECT_TRUE(shell.Ended());
    EXPECT_EQ(platform::test::ResultBytes(shell), QByteArray());
    EXPECT_FALSE(QFile::exists(marker));
}

TEST_F(ShellQuit, AnAppendCutShortIsTakenOutOfARegularFile)
{
    const Watchdog watchdog(60);
    const QString path = QDir(pwtest::ScratchFolder()).filePath(QStringLiteral("out.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("whole page\n");
    file.close();
    Shell shell;
    quitOnce(2);
    shell.ExecuteAppending(QStringLiteral("printf 'half a pa' >> '%1'; sleep 30; echo ge >> '%1'").arg(path),
                           platform::FolderItem(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("whole page\n"));
    EXPECT_EQ(shell.ExitCode(), -1);
}

TEST(ShellTest, AnAppendThatFailsIsTakenOutOfARegularFile)
{
    const QString folder = pwtest::ScratchFolder();
    const struct {
        const char* label;
        const char* before;   // nullptr: no file before the line
        const char* line;     // %1: the file
    } cases[] = {
        {"a failing last stage", "whole page\n", "printf 'half a pa' >> '%1'; exit 3"},
        {"killed by a signal", "whole page\n", "printf 'half a pa' >> '%1'; kill -9 $$"},
        {"a file made by the line", nullptr, "printf 'half a pa' >> '%1'; false"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const QString path = QDir(folder).filePath(QStringLiteral("out.txt"));
        QFile::remove(path);
        if (c.before) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.before);
        }
        Shell shell;
        shell.ExecuteAppending(QString::fromUtf8(c.line).arg(path), platform::FolderItem(path));
        EXPECT_NE(shell.ExitCode(), 0);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray(c.before ? c.before : ""));
    }
}

TEST(ShellTest, AFailedAppendLeavesAPipeAlone)
{
    const Watchdog watchdog(60);
    const QString fifo = QDir(pwtest::ScratchFolder()).filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    Shell shell;
    // The line reads back what it wrote, so nothing blocks.
    shell.ExecuteAppending(QStringLiteral("exec 3<>'%1'; printf 'x' >> '%1'; head -c 1 <&3; exit 3").arg(fifo),
                           platform::FolderItem(fifo));
    EXPECT_EQ(shell.ExitCode(), 3);
    EXPECT_EQ(shell.Result(), QStringLiteral("x"));
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &after), 0);
    EXPECT_TRUE(S_ISFIFO(after.st_mode));
}

TEST(ShellTest, AnAppendThatRunsToItsEndIsKept)
{
    const QString path = QDir(pwtest::ScratchFolder()).filePath(QStringLiteral("out.txt"));
    Shell shell;
    shell.ExecuteAppending(QStringLiteral("printf 'a\\0b\\n' >> '%1'").arg(path), platform::FolderItem(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("a\0b\n", 4));
    EXPECT_EQ(shell.ExitCode(), 0);
}

TEST(ShellTest, ScratchFileIsPrivateToTheRunnerAndGoesWithIt)
{
    QString folder;
    {
        Shell shell;
        const QString scratch = shell.ScratchShellPath();
        ASSERT_FALSE(scratch.isEmpty());
        EXPECT_EQ(shell.ScratchShellPath(), scratch);
        shell.Execute(QStringLiteral("printf 'x' > %1; d=$(dirname %1); stat -c %a \"$d\"; echo \"$d\"").arg(scratch));
        const QStringList lines = shell.Result().split(QLatin1Char('\n'));
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines[0], QStringLiteral("700"));
        folder = lines[1];
        EXPECT_TRUE(QFileInfo(folder).isDir());
    }
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST(ShellTest, TheScratchFolderIsMadeInTmpdirOrInTmpAndNowhereElse)
{
    const pwtest::EnvironmentGuard environment;
    const pwtest::TmpdirTable table;
    ASSERT_TRUE(table.ready());
    const QStringList atRoot = pwtest::TmpdirTable::FoldersAtRoot();
    for (const auto& c : table.cases()) {
        SCOPED_TRACE(c.label);
        pwtest::TmpdirTable::Apply(c);
        Shell shell;
        const QString quoted = shell.ScratchShellPath();
        if (c.madeIn.isEmpty()) {
            EXPECT_EQ(quoted, QString());
        } else {
            ASSERT_TRUE(quoted.startsWith(u'\'') && quoted.endsWith(u'\''));
            const QString path = quoted.mid(1, quoted.size() - 2);
            EXPECT_EQ(QFileInfo(QFileInfo(path).path()).path(), c.madeIn);
            shell.Execute(QStringLiteral("printf x > %1 && cat %1").arg(quoted));
            EXPECT_EQ(shell.Result(), QStringLiteral("x"));
        }
        EXPECT_EQ(pwtest::TmpdirTable::FoldersAtRoot(), atRoot);
    }
}

// A window as the platform builds one: a field with the focus, and a menu whose quit
// item, marked with the quit role, has Ctrl+Q.
class QuitWindow : public QMainWindow {
public:
    QuitWindow()
    {
        field = new QLineEdit(this);
        setCentralWidget(field);
        menu = menuBar()->addMenu(QStringLiteral("&File"));
        other = menu->addAction(QStringLiteral("Other"));
        QObject::connect(other, &QAction::triggered, this, [this] { ++othersChosen; });
        quit = menu->addAction(QStringLiteral("Quit"));
        quit->setMenuRole(QAction::QuitRole);
        quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        QObject::connect(quit, &QAction::triggered, this, [] { platform::Quit(); });
        resize(200, 100);
        show();
        activateWindow();
        field->setFocus();
    }
    QLineEdit* field;
    QMenu* menu;
    QAction* other;
    QAction* quit;
    int othersChosen = 0;
};

TEST_F(ShellQuit, TheQuitShortcutGetsThroughWhileOtherKeysWait)
{
    const Watchdog watchdog(60);
    QuitWindow window;
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QString textDuringWait = QStringLiteral("unset");
    QTimer::singleShot(50, &window, [&] {
        QTest::keyClick(window.windowHandle(), Qt::Key_A);
        textDuringWait = window.field->text();
        quitAt = std::chrono::steady_clock::now();
        QTest::keyClick(window.windowHandle(), Qt::Key_Q, Qt::ControlModifier);
    });
    Shell shell;
    shell.Execute(QStringLiteral("sleep 30"));
    const double seconds = secondsSinceQuit();
    ASSERT_TRUE(platform::QuitRequested());
    EXPECT_LT(seconds, 5.0);
    EXPECT_EQ(shell.ExitCode(), -1);
    EXPECT_EQ(textDuringWait, QString());   // held while the line ran
    // and dropped: the program winds down.
    QTest::qWait(100);
    EXPECT_EQ(window.field->text(), QString());
}

TEST_F(ShellQuit, TheMenuOpensAndQuitsButChoosesNothingElse)
{
    const Watchdog watchdog(60);
    QuitWindow window;
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTimer::singleShot(50, &window, [&] {
        window.menu->popup(window.mapToGlobal(QPoint(0, 0)));
        QTest::mouseClick(window.menu, Qt::LeftButton, {}, window.menu->actionGeometry(window.other).center());
        QTimer::singleShot(50, &window, [&] {
            quitAt = std::chrono::steady_clock::now();
            QTest::mouseClick(window.menu, Qt::LeftButton, {}, window.menu->actionGeometry(window.quit).center());
        });
    });
    Shell shell;
    shell.Execute(QStringLiteral("sleep 30"));
    ASSERT_TRUE(platform::QuitRequested());
    EXPECT_LT(secondsSinceQuit(), 5.0);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.othersChosen, 0);
}

} // namespace
