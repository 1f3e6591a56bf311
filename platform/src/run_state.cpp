// A run: its arguments, the Qt application it made, the application object, the event
// loop and the quit.
#include "platform/runtime.h"

#include "application_start.h"
#include "quit_signals.h"
#include "runtime_private.h"
#include "testing_private.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <memory>

namespace platform {

namespace {

struct RunState {
    int argc = 0;
    char** argv = nullptr;
    std::unique_ptr<QApplication> ownApplication;
    std::unique_ptr<Application> app;
    bool quitRequested = false;
    bool noDisplay = false;
};

RunState& state()
{
    static RunState s;
    return s;
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

} // namespace

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
    detail::ResetUnhandledExceptionCount();
}

std::int32_t RuntimeExit()
{
    RunState& s = state();
    // Widgets must go before the QApplication they belong to.
    ReleaseWindowList();
    s.app.reset();
    detail::removeQuitSignals();   // before the application its notifier belongs to
    s.ownApplication.reset();
    return UnhandledExceptionCount() > 0 || s.noDisplay ? 1 : 0;
}

void RunFrameworkInitialization(const std::function<void()>& startup)
{
    RunState& s = state();
    if (!QCoreApplication::instance()) {
        if (!displayChosen(s.argc, s.argv)) {
            std::fputs("This program needs a desktop session (or Xvfb): set DISPLAY or WAYLAND_DISPLAY.\n", stderr);
            s.noDisplay = true;
            return;
        }
        // QApplication keeps a reference to argc for its whole life. Without arguments
        // the program's name is unknown here; the program always passes its own.
        static char fallbackName[] = "application";
        static char* fallbackArgv[] = {fallbackName, nullptr};
        if (!s.argv || s.argc < 1) {
            s.argc = 1;
            s.argv = fallbackArgv;
        }
        s.ownApplication = detail::startApplication(s.argc, s.argv);
    }
    detail::installQuitSignals();
    if (startup)
        startup();
}

void RuntimeRun()
{
    // A quit asked for before the loop starts would otherwise be lost: Qt ignores exit()
    // while no loop runs.
    if (state().quitRequested || !QCoreApplication::instance())
        return;
    QCoreApplication::exec();
}

void RuntimeRegisterAppObject(std::unique_ptr<Application> app) { state().app = std::move(app); }

Application* detail::AppObject() { return state().app.get(); }

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

} // namespace platform
