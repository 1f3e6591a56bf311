#pragma once
// A push button with an Action event.
#include "platform/rect_control.h"

#include <QMetaObject>
#include <functional>

namespace platform {

class PushButton : public RectControl {
public:
    using RectControl::RectControl;
    ~PushButton() override;
    using ActionHandler = std::function<void(PushButton&)>;

    // The caption as last set, whatever the widget shows.
    QString Caption() const;
    void SetCaption(const QString& caption);
    // Installs the handler of one of this control's events ("Action"). An empty handler
    // makes the event do nothing. An exception that leaves the handler is caught here and
    // handed to the unhandled-exception handler: it never crosses the event loop.
    void InstallEventHandler(const QString& event, ActionHandler handler);
    // Raises the Action event, as a click does.
    void Push();
    const std::vector<PropertyDescriptor>& propertyTable() const override;

protected:
    QWidget* createWidget(QWidget* parent) override;

private:
    ActionHandler action_;
    // The caption as set: a desktop theme may add accelerator marks to the widget's text.
    QString caption_;
    // The widget's clicks reach this control only while it lives.
    QMetaObject::Connection clicked_;
};

} // namespace platform
