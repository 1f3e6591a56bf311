#pragma once
// The command runner: one command line at a time through /bin/sh.
#include <QByteArray>
#include <QString>

namespace platform {

class Shell {
public:
    Shell();
    ~Shell();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    // Runs the line with /bin/sh -c (LC_ALL=C, standard input closed, no time-out of its
    // own) and returns when the shell has exited. While it waits the windows keep
    // painting, but no user input is delivered. A shell that cannot start counts as
    // finished with exit code -1 and no output.
    void Execute(const QString& commandLine);
    // Standard output of the most recent Execute, decoded as UTF-8.
    QString Result() const;
    // The same output, byte for byte.
    QByteArray ResultBytes() const { return stdout_; }
    // Standard error of the most recent Execute, kept apart from Result.
    QByteArray ErrorOutput() const { return stderr_; }
    // Exit status of the line (of its last command); -1 when the shell could not start
    // or was killed by a signal.
    int ExitCode() const { return exitCode_; }

private:
    QByteArray stdout_;
    QByteArray stderr_;
    int exitCode_ = 0;
};

} // namespace platform
