#pragma once
// The runtime's pieces shared between its files; not part of the layer's interface.
#include <functional>

namespace platform {
class Window;
}

namespace platform::detail {

// The list of open windows: windows enter it when they are built and leave it when they
// are destroyed.
void RegisterOpenWindow(Window* window);
void UnregisterOpenWindow(Window* window);
// Empties the list without destroying anything (a new run's start).
void ClearOpenWindowList();

// Runs a handler of the program from inside Qt's event loop. A C++ exception must never
// unwind through Qt's frames, so anything the handler throws goes to UnhandledException
// here and the event loop carries on. An exception from UnhandledException itself ends
// the process (noexcept): there is nowhere left to take it.
void DispatchEvent(const std::function<void()>& handler) noexcept;
// Starts a run's count of unhandled exceptions at zero.
void ResetUnhandledExceptionCount();

} // namespace platform::detail
