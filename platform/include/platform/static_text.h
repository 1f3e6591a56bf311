#pragma once
// A label.
#include "platform/rect_control.h"

namespace platform {

class StaticText : public RectControl {
public:
    using RectControl::RectControl;
    QString Text() const;
    void SetText(const QString& text);
    const std::vector<PropertyDescriptor>& propertyTable() const override;

protected:
    QWidget* createWidget(QWidget* parent) override;
    bool acceptsFocus() const override { return false; }
};

} // namespace platform
