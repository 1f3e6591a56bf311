#pragma once
// The program in-process against the fake service, for the benchmarks: its own folders,
// a curl aimed at the fake service, scripted dialogs.
#include "app/app.h"
#include "window/window1.h"

#include "support/fake_service.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"

#include "platform/runtime.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace bench {

// The scripted environment the tests use, for the whole run of a benchmark.
class Environment {
public:
    Environment() { pwtest::SetHeadlessLoopbackVariables(); }
    QString path(const QString& name) const { return folders.scratch() + u'/' + name; }
    // The preferences file as the program writes it.
    void storeKey(const QByteArray& key) const { folders.storeKey(key); }

    pwtest::ScriptedFolders folders;
};

// The folders and a fake service answering from script, which curl reaches.
class ServedEnvironment : public Environment {
public:
    explicit ServedEnvironment(const pwtest::ServiceScript& script)
    {
        service.setScript(script);
        service.writeCurlConfig(folders.curlHome());
    }
    pwtest::FakeService service;
};

inline double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Peak resident memory of this process so far, in kilobytes.
inline long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace bench
