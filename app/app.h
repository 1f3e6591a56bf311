#pragma once
// Start-up and shut-down: the road from process entry through the framework's
// initialisation to the event loop and back to the exit status.
#include "platform/runtime.h"

#include <cstdint>

// The application object. It adds nothing to the framework's; the program only gives it
// its menu bar.
class App : public platform::Application {
public:
    static const platform::ClassRecord* Lookup();
    static void ctblinit();
};

namespace app {

// The process entry's work: the program's names, runtime set-up, class records, Main, release of the
// module-level objects, runtime shut-down. Returns the exit status.
std::int32_t ProcessMain(int argc, char** argv);

// Builds the class record of every class once, the program's own last.
void Initialize();
// The framework's initialisation with startup as its callback, then the event loop. Any
// exception that escapes either goes to the unhandled-exception handler, after which the
// event loop is not entered (again).
void Main(void (*startup)());
void Main();
// The start-up steps, in order.
void Startup();
void InitFileTypes();
void NewAppInstance();
void ApplicationAddMenuHandlers();
void MakeDefaultView();
// Releases the module-level objects, the shared menu bar last.
void Finalize();

} // namespace app
