#include "application_start.h"

#include <QByteArray>
#include <QMessageLogContext>
#include <QScopeGuard>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace platform::detail {

namespace {

// A message of Qt's, copied whole: its context's texts need not outlive the call.
struct HeldMessage {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};

std::mutex heldLock;
std::vector<HeldMessage> held;
// Said when the platform cannot start; made before, so the handler only writes it.
QByteArray failureLine;

const char* orNull(const QByteArray& text) { return text.isNull() ? nullptr : text.constData(); }

// The display the user chose, for the line: its value quoted, control characters
// escaped so the line stays one line, and the variable it came from.
QByteArray chosenDisplay()
{
    const char* name = nullptr;
    for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (!qEnvironmentVariableIsEmpty(var)) {
            name = var;
            break;
        }
    // Neither is set: the platform was chosen by name alone.
    const bool byPlatform = !name && !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (byPlatform)
        name = "QT_QPA_PLATFORM";
    if (!name)
        return {};
    QByteArray shown;
    for (const char c : qgetenv(name)) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f)
            shown += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
        else
            shown += c;
    }
    return QByteArray(byPlatform ? " for the platform \"" : " \"") + shown + "\" (" + name + ")";
}

void holdWhileStarting(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        // Qt aborts as soon as this returns.
        std::fflush(stdout);
        std::fwrite(failureLine.constData(), 1, size_t(failureLine.size()), stderr);
        std::fflush(stderr);
        ::_exit(1);
    }
    const std::lock_guard lock(heldLock);
    held.push_back({type, QByteArray(context.file), QByteArray(context.function), QByteArray(context.category),
                    context.line, text});
}

} // namespace

std::unique_ptr<QApplication> startApplication(int& argc, char** argv)
{
    failureLine = "This program could not open the display" + chosenDisplay() +
                  ": check that the desktop session (or Xvfb) is running.\n";
    held.clear();
    const QtMessageHandler previous = qInstallMessageHandler(holdWhileStarting);
    auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });
    auto application = std::make_unique<QApplication>(argc, argv);
    restore.dismiss();
    qInstallMessageHandler(previous);

    std::vector<HeldMessage> messages;
    {
        const std::lock_guard lock(heldLock);
        messages.swap(held);
    }
    for (const HeldMessage& m : messages)
        qt_message_output(m.type, QMessageLogContext(orNull(m.file), m.line, orNull(m.function), orNull(m.category)),
                          m.text);
    return application;
}

} // namespace platform::detail
