#include "platform/push_button.h"

#include "platform/exceptions.h"
#include "runtime_private.h"

#include <QPushButton>

namespace platform {

PushButton::~PushButton() { QObject::disconnect(clicked_); }

QWidget* PushButton::createWidget(QWidget* parent)
{
    auto* button = new QPushButton(parent);
    // A button becomes the window's default only when its record says so.
    button->setAutoDefault(false);
    button->setDefault(false);
    clicked_ = QObject::connect(button, &QPushButton::clicked, button, [this] { Push(); });
    return button;
}

QString PushButton::Caption() const { return caption_; }

void PushButton::SetCaption(const QString& caption)
{
    static_cast<QPushButton&>(constructedWidget("button")).setText(caption);
    caption_ = caption;
}

void PushButton::InstallEventHandler(const QString& event, ActionHandler handler)
{
    if (event != QLatin1String("Action"))
        throw RuntimeException(QStringLiteral("a push button has no event named %1").arg(event));
    action_ = std::move(handler);
}

void PushButton::Push()
{
    if (!action_)
        return;
    // Copied: the handler may install another one while it runs.
    ActionHandler handler = action_;
    detail::DispatchEvent([&] { handler(*this); });
}

} // namespace platform
