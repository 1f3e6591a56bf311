#pragma once
// A one-line text field.
#include "platform/rect_control.h"

namespace platform {

class TextField : public RectControl {
public:
    using RectControl::RectControl;
    QString Text() const;
    void SetText(const QString& text);
    const std::vector<PropertyDescriptor>& propertyTable() const override;

protected:
    QWidget* createWidget(QWidget* parent) override;
};

} // namespace platform
