#include "platform/runtime.h"

#include "platform/dialogs.h"
#include "platform/exceptions.h"
#include "platform/window.h"
#include "ui_private.h"

#include <QApplication>
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace platform {

namespace {

struct RunState {
    int argc = 0;
    char** argv = nullptr;
    std::unique_ptr<QApplication> ownApplication;
    std::unique_ptr<Application> app;
    std::vector<Window*> openWindows;
    bool quitRequested = false;
    bool noDisplay = false;
    int unhandled = 0;
    QStringList log;
};

RunState& state()
{
    static RunState s;
    return s;
}

// Class records live until the process ends: the program keeps pointers to them in its
// own caches, so they are never freed, not even by ReleaseIntrospectionMaps.
struct ClassRegistry {
    std::vector<std::unique_ptr<ClassRecord>> inOrder;
    std::map<QString, ClassRecord*> byName;
};

ClassRegistry& registry()
{
    static ClassRegistry r;
    return r;
}

// Qt aborts with advice to reinstall when it finds no display; this is checked first so
// the user is told what is missing instead.
bool displayChosen(int argc, char** argv)
{
    for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(var))
            return true;
    // Qt also takes the platform, or the X display, from the command line.
    for (int i = 1; i < argc && argv; ++i)
        for (const char* option : {"-platform", "--platform", "-display", "--display"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

void deleteOpenWindows()
{
    // Each window's destructor takes it off the list, so work on a copy.
    std::vector<Window*> windows;
    windows.swap(state().openWindows);
    for (Window* w : windows)
        delete w;
}

} // namespace

const ClassRecord* RegisterClass(const QString& fullName, const ClassRecord* base)
{
    ClassRegistry& r = registry();
    if (auto it = r.byName.find(fullName); it != r.byName.end())
        return it->second;
    auto record = std::make_unique<ClassRecord>(ClassRecord{fullName, base});
    ClassRecord* raw = record.get();
    r.inOrder.push_back(std::move(record));
    r.byName.emplace(fullName, raw);
    return raw;
}

const ClassRecord* FindClass(const QString& fullName)
{
    const ClassRegistry& r = registry();
    auto it = r.byName.find(fullName);
    return it == r.byName.end() ? nullptr : it->second;
}

QStringList ClassRecordOrder()
{
    QStringList names;
    for (const auto& record : registry().inOrder)
        names << record->fullName;
    return names;
}

const ClassRecord* ApplicationClass() { return RegisterClass(QStringLiteral("Application"), nullptr); }
const ClassRecord* WindowClass() { return RegisterClass(QStringLiteral("Window"), nullptr); }

const ClassRecord* MenuBarClass()
{
    const ClassRecord* menuItem = RegisterClass(QStringLiteral("MenuItem"), nullptr);
    return RegisterClass(QStringLiteral("MenuBar"), menuItem);
}

void InitializeFrameworkClasses()
{
    LogRuntimeStep(QStringLiteral("InitializeFrameworkClasses"));
    ApplicationClass();
    WindowClass();
    MenuBarClass();
    RegisterClass(QStringLiteral("QuitMenuItem"), FindClass(QStringLiteral("MenuItem")));
    state().openWindows.clear();
}

void SetApplicationNames(const QString& name, const QString& displayName)
{
    // Static setters hold before the Qt application exists, so Qt never takes the
    // executable's file name instead.
    QCoreApplication::setApplicationName(name);
    QGuiApplication::setApplicationDisplayName(displayName);
}

void RuntimeInit(int argc, char** argv)
{
    RunState& s = state();
    s.argc = argc;
    s.argv = argv;
    s.quitRequested = false;
    s.noDisplay = false;
    s.unhandled = 0;
    s.log.clear();
    LogRuntimeStep(QStringLiteral("RuntimeInit"));
}

std::int32_t RuntimeExit()
{
    RunState& s = state();
    LogRuntimeStep(QStringLiteral("RuntimeExit"));
    // Widgets must go before the QApplication they belong to.
    deleteOpenWindows();
    s.app.reset();
    s.ownApplication.reset();
    return s.unhandled > 0 || s.noDisplay ? 1 : 0;
}

void RunFrameworkInitialization(const std::function<void()>& startup)
{
    RunState& s = state();
    LogRuntimeStep(QStringLiteral("RunFrameworkInitialization"));
    if (!QCoreApplication::instance()) {
        if (!displayChosen(s.argc, s.argv)) {
            std::fputs("This program needs a desktop session (or Xvfb): set DISPLAY or WAYLAND_DISPLAY.\n", stderr);
            s.noDisplay = true;
            return;
        }
        // QApplication keeps a reference to argc for its whole life.
        // The program gives its own names; none is made up here.
        static char fallbackName[] = "";
        static char* fallbackArgv[] = {fallbackName, nullptr};
        if (!s.argv || s.argc < 1) {
            s.argc = 1;
            s.argv = fallbackArgv;
        }
        s.ownApplication = std::make_unique<QApplication>(s.argc, s.argv);
    }
    if (startup)
        startup();
}

void RuntimeInitExternalClasses() { LogRuntimeStep(QStringLiteral("RuntimeInitExternalClasses")); }

void InitPluginEntrypoints() { LogRuntimeStep(QStringLiteral("InitPluginEntrypoints")); }

void RuntimeRun()
{
    LogRuntimeStep(QStringLiteral("RuntimeRun"));
    // A quit asked for before the loop starts would otherwise be lost: Qt ignores exit()
    // while no loop runs.
    if (state().quitRequested || !QCoreApplication::instance())
        return;
    QCoreApplication::exec();
}

void UnhandledException(std::exception_ptr exception)
{
    LogRuntimeStep(QStringLiteral("UnhandledException"));
    ++state().unhandled;
    QString name;
    try {
        if (exception)
            std::rethrow_exception(exception);
        name = QStringLiteral("unknown exception");
    } catch (const IOException& e) {
        name = QStringLiteral("%1 (error number %2)").arg(e.className()).arg(e.ErrorNumber());
        if (!e.message().isEmpty())
            name += QStringLiteral(": ") + e.message();
    } catch (const RuntimeException& e) {
        name = e.className();
        if (!e.message().isEmpty())
            name += QStringLiteral(": ") + e.message();
    } catch (const std::exception& e) {
        name = QString::fromUtf8(e.what());
    } catch (...) {
        name = QStringLiteral("unknown exception");
    }
    MsgBox(QStringLiteral("An exception was not handled: %1").arg(name));
}

int UnhandledExceptionCount() { return state().unhandled; }

void RuntimeRegisterAppObject(std::unique_ptr<Application> app)
{
    LogRuntimeStep(QStringLiteral("RuntimeRegisterAppObject"));
    state().app = std::move(app);
}

Application* App() { return state().app.get(); }

Window* GetImplicitWindow(const QString& fullClassName)
{
    for (Window* w : state().openWindows) {
        if (w->classRecord() && w->classRecord()->fullName == fullClassName)
            return w;
    }
    return nullptr;
}

void ReleaseImplicitWindowList() { LogRuntimeStep(QStringLiteral("ReleaseImplicitWindowList")); }

void ReleaseRedrawList() { LogRuntimeStep(QStringLiteral("ReleaseRedrawList")); }

void ReleaseWindowList()
{
    LogRuntimeStep(QStringLiteral("ReleaseWindowList"));
    deleteOpenWindows();
}

void ReleaseIntrospectionMaps() { LogRuntimeStep(QStringLiteral("ReleaseIntrospectionMaps")); }

void YieldToNextThread() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void Quit()
{
    state().quitRequested = true;
    // exit() rather than quit(): quit() may first try to close the windows, and the
    // quit item must end the loop unconditionally.
    if (QCoreApplication::instance())
        QCoreApplication::exit(0);
}

bool QuitRequested() { return state().quitRequested; }

QStringList RuntimeLog() { return state().log; }

void LogRuntimeStep(const QString& step) { state().log << step; }

namespace detail {

void RegisterOpenWindow(Window* window)
{
    auto& list = state().openWindows;
    if (std::find(list.begin(), list.end(), window) == list.end())
        list.push_back(window);
}

void UnregisterOpenWindow(Window* window)
{
    auto& list = state().openWindows;
    list.erase(std::remove(list.begin(), list.end(), window), list.end());
}

void DispatchEvent(const std::function<void()>& handler) noexcept
{
    try {
        handler();
    } catch (...) {
        UnhandledException(std::current_exception());
    }
}

} // namespace detail

} // namespace platform
