#pragma once
// A label.
#include "platform/rect_control.h"

namespace platform {

class StaticText : public RectControl {
public:
    using RectControl::RectControl;
    QString Text() const;
    void SetText(const QString& text);
    // Ties the label to the control beside it, so assistive technology names the control
    // by the label's text. Nothing changes on screen.
    void SetBuddy(RectControl& control);
    const std::vector<PropertyDescriptor>& propertyTable() const override;

protected:
    QWidget* createWidget(QWidget* parent) override;
    bool acceptsFocus() const override { return false; }
};

} // namespace platform
