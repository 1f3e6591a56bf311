// The unhandled-exception handler and the boundary that keeps exceptions out of Qt.
#include "platform/runtime.h"

#include "platform/dialogs.h"
#include "platform/exceptions.h"
#include "runtime_private.h"

namespace platform {

namespace {
int unhandled = 0;
} // namespace

void UnhandledException(std::exception_ptr exception)
{
    ++unhandled;
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

int UnhandledExceptionCount() { return unhandled; }

namespace detail {

void ResetUnhandledExceptionCount() { unhandled = 0; }

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
