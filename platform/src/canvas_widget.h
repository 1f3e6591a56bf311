#pragma once
// Not part of the layer's interface.
#include "platform/picture.h"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <memory>

namespace platform::detail {

// The widget behind a Canvas: paints the backdrop at its top-left corner.
class CanvasWidget : public QWidget {
public:
    using QWidget::QWidget;
    std::shared_ptr<Picture> backdrop;

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!backdrop)
            return;
        QPainter painter(this);
        painter.drawImage(0, 0, backdrop->image());
    }
};

} // namespace platform::detail
