#pragma once
// The command runner: one command line at a time through /bin/sh.
#include "platform/files.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <sys/types.h>

class QTemporaryDir;

namespace platform {

namespace test {
struct Access;
}

class Shell {
public:
    Shell();
    ~Shell();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    // Runs the line with /bin/sh -c (LC_ALL=C, standard input closed, no time-out of its
    // own, in a process group of its own) and returns when the shell has exited. While it
    // waits the windows keep painting and the way to quit stays open (the menus, the quit
    // item's shortcut, closing a window), but no other user input is delivered: it is
    // held and delivered afterwards (dropped, when quit was asked for meanwhile). Once QuitRequested(), the line is ended together with
    // every process it started, and a line asked for after that is not started: both count
    // as exit code -1. A shell that cannot start counts as finished with exit code -1 and
    // no output.
    void Execute(const QString& commandLine);
    // Execute for a line that appends to target: when the line does not succeed (an exit
    // code other than 0, or ended because of a quit), a regular file there is cut back to
    // the length it had before, so no part of what the line was appending stays in it.
    // Devices and pipes are left alone.
    void ExecuteAppending(const QString& commandLine, const FolderItem& target);
    // Standard output of the most recent Execute, decoded as UTF-8.
    QString Result() const;
    // Standard error of the most recent Execute, kept apart from Result.
    QByteArray ErrorOutput() const { return stderr_; }
    // Exit status of the line (of its last command); -1 when the shell could not start
    // or was killed by a signal.
    int ExitCode() const { return exitCode_; }
    // Whether the most recent line was ended because of a quit, or not started because of
    // one.
    bool Ended() const { return ended_; }

    // From the next Execute on, standard output past bytes is not read: the line is ended
    // there, with every process it started (exit code -1), and OutputCut() tells it. 0,
    // the default: no limit.
    void SetOutputLimit(qint64 bytes) { outputLimit_ = bytes; }
    // Whether the most recent line's output passed the limit; Result then holds its first
    // limit + 1 bytes.
    bool OutputCut() const { return cut_; }

    // The path, quoted for the shell like FolderItem::ShellPath, of a file that only this
    // runner's lines use: in a folder of its own, owner-only, made on the first call in
    // $TMPDIR (in /tmp when TMPDIR is unset or empty) and removed with everything in it
    // when the runner goes. Empty when no such folder can be made there: a TMPDIR that
    // names no folder that can be written is never replaced by another folder.
    QString ScratchShellPath();

private:
    friend struct test::Access;

    struct Child {
        pid_t pid = -1;
        int out = -1;      // read ends of the line's standard output and error
        int err = -1;
        int exited = -1;   // a pidfd, readable once the shell has exited; -1 without one
    };
    // Starts the line; false when the shell cannot start.
    bool spawn(const QString& commandLine, Child& child);
    // Collects the output until the line has ended and been reaped, or ends it on quit.
    void wait(Child& child);
    // Ends the line's process group: SIGTERM, a short grace, SIGKILL; then reaps.
    void end(Child& child);

    QByteArray stdout_;
    QByteArray stderr_;
    int exitCode_ = 0;
    bool ended_ = false;   // the most recent line was ended, or not started, on quit
    bool cut_ = false;     // the most recent line's output passed outputLimit_
    qint64 outputLimit_ = 0;
    std::unique_ptr<QTemporaryDir> scratch_;
};

} // namespace platform
