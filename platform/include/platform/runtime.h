#pragma once
// The runtime: set-up and shut-down, the application object, the list of open windows,
// the event loop and the unhandled-exception handler.
#include "platform/application.h"
#include "platform/class_registry.h"

#include <QString>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

namespace platform {

class Window;

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
// From then until RuntimeExit, SIGTERM, SIGINT and SIGHUP quit the run as Quit() does
// (one the process was started ignoring stays ignored); RuntimeExit puts back what they
// had.
// With no display to open windows on (no DISPLAY, WAYLAND_DISPLAY or chosen Qt platform),
// it says so in one line on standard error and calls nothing. A display that is named
// but cannot be opened is told in one line on standard error too, naming it, and ends
// the process at once with status 1.
void RunFrameworkInitialization(const std::function<void()>& startup);
// The event loop; returns when the application quits.
void RuntimeRun();
// Shows one message naming the exception (its class, an I/O exception's error number).
void UnhandledException(std::exception_ptr exception);
// How many exceptions reached the handler in this run.
int UnhandledExceptionCount();

// Makes app the application object of the run; the runtime keeps it until RuntimeExit.
void RuntimeRegisterAppObject(std::unique_ptr<Application> app);

// The open window whose class has that full name, or nullptr.
Window* GetImplicitWindow(const QString& fullClassName);
// Hands window to the runtime, its one owner from then on: ReleaseWindowList (or
// RuntimeExit) destroys it. A window not handed over is its creator's to destroy.
void adoptWindow(std::unique_ptr<Window> window);
// Destroys the windows handed to the runtime (at shut-down).
void ReleaseWindowList();

// Lets pending events run, user input included.
void YieldToNextThread();
// Ends the event loop (what the quit item does).
void Quit();
// True once Quit was asked for in this run: long work ends at its next yield.
bool QuitRequested();

} // namespace platform
