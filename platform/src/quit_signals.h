#pragma once
// Not part of the layer's interface: the signals from outside that quit the run.

namespace platform::detail {

// From now on SIGTERM (a logout, kill), SIGINT (Ctrl+C in the terminal) and SIGHUP (the
// terminal gone) quit the run as Quit() does, once the event loop takes them: a command
// line then running is ended and cleaned up exactly as on a quit from the menu. A signal
// this process was started ignoring (nohup, a background job) stays ignored. Needs the Qt
// application; a second call does nothing.
void installQuitSignals();
// Puts back the dispositions installQuitSignals found and closes its pipe; nothing when
// not installed.
void removeQuitSignals();

} // namespace platform::detail
