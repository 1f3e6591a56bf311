#pragma once
// The program in-process, as the real binary runs it but without the event loop: a fake
// service that curl reaches, scripted dialogs, and the preferences file of this test.
// Header-only: only the program's tests include it.
#include "app/app.h"
#include "app/menubar1.h"
#include "window/window1.h"

#include "support/fake_service.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"

#include "platform/runtime.h"
#include "platform/testing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMetaObject>
#include <QWidget>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <cstdio>

namespace pwtest {

inline QString PrefsFilePath() { return PreferencesFolder() + u'/' + PrefsFileName(); }

// Replaces the file at path with bytes.
inline void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The preferences file as the program writes it: a length byte, then the key's bytes.
inline void StoreKey(const QByteArray& key)
{
    WriteFile(PrefsFilePath(), PrefsRecord(key));
}

inline QByteArray PrefsBytes() { return FileBytes(PrefsFilePath()); }

class AppHarness {
public:
    explicit AppHarness(const ServiceScript& script = DefaultScript())
    {
        service.setScript(script);
        service.writeCurlConfig(CurlHome());
    }
    ~AppHarness()
    {
        if (started_)
            app::Finalize();
        service::requestLimits = limitsBefore_;
    }
    AppHarness(const AppHarness&) = delete;
    AppHarness& operator=(const AppHarness&) = delete;

    // Class records, then the start-up steps: the window is built and opened, and makes
    // its requests with curl's limits (the shipped ones unless given; a test may lower
    // service::requestLimits later, and the harness puts them back at its end).
    void start(const service::CurlLimits& limits = {})
    {
        started_ = true;
        service::requestLimits = limits;
        app::Initialize();
        platform::RunFrameworkInitialization(app::Startup);
    }

    Window1& window() { return *Window1::implicitInstance(); }

    template <class T>
    T& control(const char* name) { return window().control<T>(QString::fromLatin1(name)); }

    platform::PushButton& button() { return control<platform::PushButton>("PushButton1"); }
    platform::TextField& keyField() { return control<platform::TextField>("apikeyfield"); }
    platform::PopupMenu& profileMenu() { return control<platform::PopupMenu>("profilemenu"); }
    platform::PopupMenu& platformMenu() { return control<platform::PopupMenu>("platformmenu"); }
    platform::ProgressBar& bar() { return control<platform::ProgressBar>("ProgressBar1"); }

    void click() { button().Push(); }

    QStringList popupRows(platform::PopupMenu& menu)
    {
        QStringList rows;
        for (int i = 0; i < platform::test::ListCount(menu); ++i)
            rows << platform::test::List(menu, i);
        return rows;
    }

    FakeService service;
    ScriptedDialogs dialogs;

private:
    bool started_ = false;
    service::CurlLimits limitsBefore_ = service::requestLimits;
};

// Types text (letters and digits) into widget while the line that made a request runs:
// called from the fake service's thread, it returns once the program has taken the keys
// in.
inline void TypeWhileTheLineRuns(QWidget* widget, const QString& text)
{
    auto reached = std::make_shared<std::promise<void>>();
    std::future<void> taken = reached->get_future();
    // The events are made on the widget's thread: a key event made elsewhere would make
    // Qt's keyboard device there.
    QMetaObject::invokeMethod(
        widget,
        [widget, text, reached] {
            for (const QChar c : text)
                QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, c.toUpper().unicode(),
                                                                  Qt::NoModifier, QString(c)));
            // Posted after the keys, so it runs once they have been dealt with.
            QMetaObject::invokeMethod(widget, [reached] { reached->set_value(); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    taken.wait_for(std::chrono::seconds(10));
}

// The peak resident memory of this process, in megabytes, since the last
// ResetPeakMemory(); printed, as the sanitizer build's figure is worth a look. The reset
// makes the figure this test's, not that of the tests run before it in the process.
inline void ResetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

inline long PeakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    long kilobytes = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                kilobytes = line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    std::printf("peak memory during this test: %ld MB\n", kilobytes / 1024);
    return kilobytes / 1024;
}

// The key the scripted service accepts unless a test says otherwise.
inline const QString kValidKey = ServiceScript().validKey;

} // namespace pwtest
