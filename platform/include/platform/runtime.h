#pragma once
// The runtime: set-up and shut-down, class records, the application object, the list of
// open windows, the event loop and the unhandled-exception handler.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

namespace platform {

class MenuBar;
class Window;

// The run-time description of a class: its full name and its base.
struct ClassRecord {
    QString fullName;
    const ClassRecord* base = nullptr;
};

// Builds the record of a class once: a second call with the same name returns the first
// record unchanged.
const ClassRecord* RegisterClass(const QString& fullName, const ClassRecord* base);
// The record of the class with that full name, or nullptr.
const ClassRecord* FindClass(const QString& fullName);
// Full names of the classes in the order their records were built.
QStringList ClassRecordOrder();
// The framework's own classes.
const ClassRecord* ApplicationClass();
const ClassRecord* WindowClass();
const ClassRecord* MenuBarClass();
// Builds the records of the framework's classes and the empty list of open windows.
void InitializeFrameworkClasses();

// The application object of a run.
class Application {
public:
    virtual ~Application() = default;
    void SetMenuBar(MenuBar* menuBar) { menuBar_ = menuBar; }
    MenuBar* GetMenuBar() const { return menuBar_; }

private:
    MenuBar* menuBar_ = nullptr;
};

// The application's names, set by the program before the framework starts: name is the
// short name (the resources folder is found under it), displayName the one users read
// (message boxes are titled with it).
void SetApplicationNames(const QString& name, const QString& displayName);

// First call of a run. Keeps the process arguments for Qt; the program never sees them.
void RuntimeInit(int argc, char** argv);
// Shuts the runtime down; the exit status: 0, or 1 after an unhandled exception or when
// there was no display.
std::int32_t RuntimeExit();
// Sets the framework up (the Qt application, when none exists yet) and calls startup once.
// With no display to open windows on (no DISPLAY, WAYLAND_DISPLAY or chosen Qt platform),
// it says so in one line on standard error and calls nothing.
void RunFrameworkInitialization(const std::function<void()>& startup);
void RuntimeInitExternalClasses();
// Binds the command runner's entry points.
void InitPluginEntrypoints();
// The event loop; returns when the application quits.
void RuntimeRun();
// Shows one message naming the exception (its class, an I/O exception's error number).
void UnhandledException(std::exception_ptr exception);
// How many exceptions reached the handler in this run.
int UnhandledExceptionCount();

// Makes app the application object of the run; the runtime keeps it until RuntimeExit.
void RuntimeRegisterAppObject(std::unique_ptr<Application> app);
Application* App();

// The open window whose class has that full name, or nullptr.
Window* GetImplicitWindow(const QString& fullClassName);
// Module-level lists released at shut-down, in this order.
void ReleaseImplicitWindowList();
void ReleaseRedrawList();
void ReleaseWindowList();
void ReleaseIntrospectionMaps();

// Lets pending events run, user input included.
void YieldToNextThread();
// Ends the event loop (what the quit item does).
void Quit();
// True once Quit was asked for in this run: long work ends at its next yield.
bool QuitRequested();

// Names of the framework's steps in the order they ran in this run, for tests.
QStringList RuntimeLog();
void LogRuntimeStep(const QString& step);

} // namespace platform
