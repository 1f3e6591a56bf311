#pragma once
// Making the Qt application, with a display that cannot be opened told plainly.
#include <QApplication>
#include <memory>

namespace platform::detail {

// The Qt application on argc and argv (both kept for its whole life). Qt's messages
// while it starts are held back and passed on once it has started. When it cannot start
// (Qt would abort, advising a reinstall), one line on standard error names the display
// that could not be opened, and the process ends at once with status 1.
std::unique_ptr<QApplication> startApplication(int& argc, char** argv);

} // namespace platform::detail
