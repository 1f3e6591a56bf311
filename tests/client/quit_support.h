#pragma once
// For tests that quit in the middle of a command line: the processes the line started,
// and putting the quit back afterwards so later tests in the process run as usual.
#include "platform/runtime.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <chrono>
#include <map>
#include <set>
#include <sys/types.h>
#include <unistd.h>

namespace pwtest {

// Process id to parent id, and whether it still runs (a zombie has ended), from /proc.
struct ProcessTable {
    std::map<pid_t, pid_t> parent;
    std::set<pid_t> running;

    static ProcessTable Now()
    {
        ProcessTable table;
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            bool number = false;
            const pid_t pid = entry.toInt(&number);
            if (!number)
                continue;
            QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            // "pid (name) state ppid ...": the name may hold blanks and parentheses.
            const QByteArray text = stat.readAll();
            const QList<QByteArray> rest = text.mid(text.lastIndexOf(')') + 2).split(' ');
            if (rest.size() < 2)
                continue;
            table.parent[pid] = rest[1].toInt();
            if (rest[0] != "Z" && rest[0] != "X")
                table.running.insert(pid);
        }
        return table;
    }
};

// Every running process descended from this one.
inline std::set<pid_t> RunningDescendants()
{
    const ProcessTable table = ProcessTable::Now();
    std::set<pid_t> found{::getpid()};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [pid, parent] : table.parent) {
            if (found.count(parent) && !found.count(pid)) {
                found.insert(pid);
                grew = true;
            }
        }
    }
    found.erase(::getpid());
    std::set<pid_t> running;
    for (pid_t pid : found)
        if (table.running.count(pid))
            running.insert(pid);
    return running;
}

// Whether none of pids runs any more, waiting up to a few seconds for that.
inline bool AllEnded(const std::set<pid_t>& pids)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        const std::set<pid_t> running = ProcessTable::Now().running;
        bool any = false;
        for (pid_t pid : pids)
            any = any || running.count(pid);
        if (!any)
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

} // namespace pwtest
