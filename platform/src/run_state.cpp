// A run: its arguments, the Qt application it made, the application object, the event
// loop and the quit.
#include "platform/runtime.h"

#include "runtime_private.h"

#include <QApplication>
#include <QCoreApplication>
#include <memory>

namespace platform {

namespace {

struct RunState {
    int argc = 0;
    char** argv = nullptr;
    std::unique_ptr<QApplication> ownApplication;
    std::unique_ptr<Application> app;
    bool quitRequested = false;
};

RunState& state()
{
    static RunState s;
    return s;
}

} // namespace

void RuntimeInit(int argc, char** argv)
{
    RunState& s = state();
    s.argc = argc;
    s.argv = argv;
    s.quitRequested = false;
    detail::ResetUnhandledExceptionCount();
}

std::int32_t RuntimeExit()
{
    RunState& s = state();
    // Widgets must go before the QApplication they belong to.
    ReleaseWindowList();
    s.app.reset();
    s.ownApplication.reset();
    return UnhandledExceptionCount() > 0 ? 1 : 0;
}

void RunFrameworkInitialization(const std::function<void()>& startup)
{
    RunState& s = state();
    if (!QCoreApplication::instance()) {
        // QApplication keeps a reference to argc for its whole life. Without arguments
        // the program's name is unknown here; the program always passes its own.
        static char fallbackName[] = "application";
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

void RuntimeRun()
{
    // A quit asked for before the loop starts would otherwise be lost: Qt ignores exit()
    // while no loop runs.
    if (state().quitRequested || !QCoreApplication::instance())
        return;
    QCoreApplication::exec();
}

void RuntimeRegisterAppObject(std::unique_ptr<Application> app) { state().app = std::move(app); }

Application* App() { return state().app.get(); }

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
