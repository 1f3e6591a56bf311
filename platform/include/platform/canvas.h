#pragma once
// A plain area showing a backdrop picture at its top-left corner.
#include "platform/picture.h"
#include "platform/rect_control.h"

#include <memory>

namespace platform {

class Canvas : public RectControl {
public:
    using RectControl::RectControl;
    void SetBackdrop(std::shared_ptr<Picture> picture);
    std::shared_ptr<Picture> Backdrop() const { return backdrop_; }
    const std::vector<PropertyDescriptor>& propertyTable() const override;

protected:
    QWidget* createWidget(QWidget* parent) override;
    bool acceptsFocus() const override { return false; }

private:
    std::shared_ptr<Picture> backdrop_;
};

} // namespace platform
