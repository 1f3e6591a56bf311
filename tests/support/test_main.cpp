// Every test process: the offscreen platform, its own empty preferences folder, a curl
// that can reach only 127.0.0.1, and a Qt application object.
#include "support/test_env.h"

#include "platform/runtime.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {
QTemporaryDir* scratchRoot = nullptr;
}

namespace pwtest {

QString PreferencesFolder() { return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")); }
QString CurlHome() { return QString::fromLocal8Bit(qgetenv("CURL_HOME")); }

QString ScratchFolder()
{
    static int n = 0;
    QString path = scratchRoot->filePath(QStringLiteral("scratch-%1").arg(++n));
    QDir().mkpath(path);
    return path;
}

} // namespace pwtest

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);

    qputenv("QT_QPA_PLATFORM", "offscreen");
    for (const char* var : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY",
                            "all_proxy", "no_proxy", "NO_PROXY"})
        qunsetenv(var);

    QTemporaryDir root;
    scratchRoot = &root;
    const QString prefs = root.filePath(QStringLiteral("config"));
    const QString curlHome = root.filePath(QStringLiteral("curl"));
    QDir().mkpath(prefs);
    QDir().mkpath(curlHome);
    qputenv("XDG_CONFIG_HOME", prefs.toLocal8Bit());
    qputenv("HOME", root.path().toLocal8Bit());
    qputenv("CURL_HOME", curlHome.toLocal8Bit());
    // Until a test starts a fake service, every request goes to a closed loopback port.
    QFile rc(curlHome + QStringLiteral("/.curlrc"));
    if (rc.open(QIODevice::WriteOnly))
        rc.write("connect-to = \"::127.0.0.1:9\"\n");
    rc.close();

    platform::RuntimeInit(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pondwhirl-downloader"));
    const int result = RUN_ALL_TESTS();
    scratchRoot = nullptr;
    return result;
}
