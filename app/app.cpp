#include "app/app.h"

#include "app/menubar1.h"
#include "window/window1.h"

#include <functional>
#include <memory>

const platform::ClassRecord* App::Lookup()
{
    ctblinit();
    return platform::FindClass(QStringLiteral("App"));
}

void App::ctblinit()
{
    platform::RegisterClass(QStringLiteral("App"), platform::ApplicationClass());
}

namespace app {

std::int32_t ProcessMain(int argc, char** argv)
{
    // The program's own names, whatever its executable is called: the logo is found under
    // the short one, and message boxes are titled with the other.
    platform::SetApplicationNames(QStringLiteral("pondwhirl-downloader"), QStringLiteral("PondWhirl Data Downloader"));
    platform::RuntimeInit(argc, argv);
    Initialize();
    Main();
    Finalize();
    return platform::RuntimeExit();
}

void Initialize()
{
    platform::InitializeFrameworkClasses();
    App::ctblinit();
    Window1::ctblinit();
    MenuBar1::ctblinit();
}

void Main() { Main(&Startup); }

void Main(void (*startup)())
{
    try {
        std::function<void()> delegate = startup;
        platform::RunFrameworkInitialization(delegate);
        delegate = nullptr;
        platform::RuntimeRun();
    } catch (...) {
        platform::UnhandledException(std::current_exception());
    }
}

void Startup()
{
    InitFileTypes();
    NewAppInstance();
    ApplicationAddMenuHandlers();
    MakeDefaultView();
}

// The application declares no document types.
void InitFileTypes() {}

void NewAppInstance()
{
    auto application = std::make_unique<App>();
    application->SetMenuBar(MenuBar1::implicitInstance());
    platform::RuntimeRegisterAppObject(std::move(application));
}

// The application object installs no menu handlers: the quit item acts by itself.
void ApplicationAddMenuHandlers() {}

// The window comes up visible through its own Layout; nothing shows it here.
void MakeDefaultView() { Window1::implicitInstance(); }

void Finalize()
{
    platform::ReleaseWindowList();
    MenuBar1::implicitInstanceExit();
}

} // namespace app
