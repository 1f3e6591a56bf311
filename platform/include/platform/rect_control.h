#pragma once
// Base of every control placed in a window at an absolute position.
#include "platform/properties.h"

#include <QPointer>
#include <QString>
#include <vector>

class QWidget;

namespace platform {

class Window;

class RectControl : public PropertyTarget {
public:
    explicit RectControl(Window* window);
    ~RectControl() override;
    RectControl(const RectControl&) = delete;
    RectControl& operator=(const RectControl&) = delete;

    // The default construction: makes the control's widget inside its window.
    void Constructor();

    QString Name() const { return name_; }
    Window* window() const { return window_; }
    int TabIndex() const { return tabIndex_; }
    bool Enabled() const;
    bool Visible() const { return visible_; }
    // Repaints the control at once.
    void Refresh();

    // The control's widget, for the layer and for tests that act as a user would. The
    // window's content owns it; nullptr before Constructor and once the window is gone.
    QWidget* widget() const;
    // The widget; NilObjectException naming what ("the text field") when the control has
    // not been constructed.
    QWidget& constructedWidget(const char* what) const;

    const std::vector<PropertyDescriptor>& propertyTable() const override;

protected:
    // Makes the widget; called by Constructor with the window's content as parent.
    virtual QWidget* createWidget(QWidget* parent) = 0;
    // Whether the control can take keyboard focus.
    virtual bool acceptsFocus() const { return true; }
    // Extends the table with a subclass's own properties.
    static std::vector<PropertyDescriptor> baseProperties();

private:
    friend class Window;
    Window* window_;
    QPointer<QWidget> widget_;
    QString name_;
    int tabIndex_ = -1;
    bool visible_ = true;
};

} // namespace platform
