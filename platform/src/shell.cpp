#include "platform/shell.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QProcess>
#include <QProcessEnvironment>

#include <memory>
#include <utility>
#include <vector>

namespace platform {

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

// ExcludeUserInputEvents keeps back only what the window system delivers; input events
// posted inside the process would still reach the widgets and re-enter the program while
// it waits for the line. Those are held here and posted again, in order, afterwards.
class InputHold : public QObject {
public:
    InputHold()
    {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->installEventFilter(this);
    }
    ~InputHold() override
    {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->removeEventFilter(this);
        for (auto& [receiver, event] : held_) {
            if (receiver)
                QCoreApplication::postEvent(receiver, event.release());
        }
    }

    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (!isUserInput(event->type()))
            return false;
        held_.emplace_back(receiver, std::unique_ptr<QEvent>(event->clone()));
        return true;
    }

private:
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
};

} // namespace

Shell::Shell() = default;
Shell::~Shell() = default;

void Shell::Execute(const QString& commandLine)
{
    stdout_.clear();
    stderr_.clear();
    exitCode_ = -1;

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // grep and sed pass every byte through unchanged only in the C locale.
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::SeparateChannels);

    QEventLoop loop;
    bool done = false;
    // Taken as it arrives: a child blocked on a full pipe would never exit.
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process,
                     [&] { stdout_ += process.readAllStandardOutput(); });
    QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                     [&] { stderr_ += process.readAllStandardError(); });
    QObject::connect(&process, &QProcess::finished, &process,
                     [&](int code, QProcess::ExitStatus status) {
                         exitCode_ = status == QProcess::NormalExit ? code : -1;
                         done = true;
                         loop.quit();
                     });
    // A shell that fails to start never sends finished.
    QObject::connect(&process, &QProcess::errorOccurred, &process,
                     [&](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             exitCode_ = -1;
                             done = true;
                             loop.quit();
                         }
                     });

    const InputHold hold;
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), commandLine},
                  QIODevice::ReadOnly);
    const auto flags = QEventLoop::ExcludeUserInputEvents;
    while (!done) {
        loop.exec(flags);
        // Quitting the application ends every event loop, and a new one returns at once
        // from then on; the line still runs to its end.
        if (!done)
            loop.processEvents(flags | QEventLoop::WaitForMoreEvents);
    }
    stdout_ += process.readAllStandardOutput();
    stderr_ += process.readAllStandardError();
}

QString Shell::Result() const { return QString::fromUtf8(stdout_); }

} // namespace platform
