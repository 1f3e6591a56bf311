#pragma once
// The program in-process against the fake service, for the benchmarks: its own folders,
// a curl aimed at the fake service, scripted dialogs.
#include "app/app.h"
#include "window/window1.h"

#include "support/fake_service.h"
#include "support/scripted_dialogs.h"

#include "platform/runtime.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace bench {

class Environment {
public:
    Environment()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        for (const char* var : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy"})
            qunsetenv(var);
        qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("CURL_HOME", root.path().toLocal8Bit());
        QDir().mkpath(root.filePath(QStringLiteral("config")));
    }
    QString path(const QString& name) const { return root.filePath(name); }
    // The preferences file as the program writes it.
    void storeKey(const QByteArray& key) const
    {
        QFile file(root.filePath(QStringLiteral("config/Pondwhirl Downloader Prefs")));
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray(1, static_cast<char>(key.size())) + key);
    }

    QTemporaryDir root;
};

// The folders and a fake service answering from script, which curl reaches.
class ServedEnvironment : public Environment {
public:
    explicit ServedEnvironment(const pwtest::ServiceScript& script)
    {
        service.setScript(script);
        service.writeCurlConfig(root.path());
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
