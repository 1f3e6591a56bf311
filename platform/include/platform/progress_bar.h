#pragma once
// A progress bar. Value keeps and reads back any integer; the bar shows it clamped to
// 0..Maximum.
#include "platform/rect_control.h"

namespace platform {

class ProgressBar : public RectControl {
public:
    using RectControl::RectControl;
    int Value() const { return value_; }
    void SetValue(int value);
    int Maximum() const { return maximum_; }
    void SetMaximum(int maximum);
    const std::vector<PropertyDescriptor>& propertyTable() const override;

protected:
    QWidget* createWidget(QWidget* parent) override;
    bool acceptsFocus() const override { return false; }

private:
    int value_ = 0;
    int maximum_ = 100;
};

} // namespace platform
