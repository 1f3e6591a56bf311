// The window's property table: what each entry of the window's record does.
#include "platform/window.h"

#include "property_values.h"
#include "window_widget.h"

namespace platform {

namespace {
using namespace detail;
} // namespace

const std::vector<PropertyDescriptor>& Window::propertyTable() const
{
    using T = PropertyType;
    using detail::WindowWidget;
    static const std::vector<PropertyDescriptor> table{
        dropped("Placement", T::Integer),
        {"Width", T::Integer,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = static_cast<Window&>(t).constructedWindow();
             w.setContentSize(QSize(asInt(v), w.contentSize().height()));
         }},
        {"Height", T::Integer,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = static_cast<Window&>(t).constructedWindow();
             w.setContentSize(QSize(w.contentSize().width(), asInt(v)));
         }},
        {"MinWidth", T::Integer,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = static_cast<Window&>(t).constructedWindow();
             w.setContentLimits(QSize(asInt(v), w.minContent().height()), w.maxContent());
         }},
        {"MinHeight", T::Integer,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = static_cast<Window&>(t).constructedWindow();
             w.setContentLimits(QSize(w.minContent().width(), asInt(v)), w.maxContent());
         }},
        {"MaxWidth", T::Integer,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = static_cast<Window&>(t).constructedWindow();
             w.setContentLimits(w.minContent(), QSize(asInt(v), w.maxContent().height()));
         }},
        {"MaxHeight", T::Integer,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = static_cast<Window&>(t).constructedWindow();
             w.setContentLimits(w.minContent(), QSize(w.maxContent().width(), asInt(v)));
         }},
        dropped("Frame", T::Integer),
        dropped("Composite", T::Boolean),
        {"HasBackColor", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) {
             static_cast<Window&>(t).constructedWindow().centralWidget()->setAutoFillBackground(asBool(v));
         }},
        {"BackColor", T::Color,
         [](PropertyTarget& t, const PropertyValue& v) {
             QWidget* content = static_cast<Window&>(t).constructedWindow().centralWidget();
             QPalette p = content->palette();
             p.setColor(QPalette::Window, asColor(v));
             content->setPalette(p);
         }},
        {"Title", T::String,
         [](PropertyTarget& t, const PropertyValue& v) { static_cast<Window&>(t).constructedWindow().setWindowTitle(asString(v)); }},
        {"Visible", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) { static_cast<Window&>(t).constructedWindow().setVisible(asBool(v)); }},
        {"FullScreen", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = static_cast<Window&>(t).constructedWindow();
             w.setWindowState(asBool(v) ? (w.windowState() | Qt::WindowFullScreen)
                                        : (w.windowState() & ~Qt::WindowFullScreen));
         }},
        {"MenuBarVisible", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) { static_cast<Window&>(t).constructedWindow().setMenuBarShown(asBool(v)); }},
        {"CloseButton", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = static_cast<Window&>(t).constructedWindow();
             w.setButtons(asBool(v), w.minimizeButton, w.maximizeButton);
         }},
        {"Resizeable", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) { static_cast<Window&>(t).constructedWindow().setResizeable(asBool(v)); }},
        // Qt lays the content out while the user drags: live resizing is all there is.
        dropped("LiveResize", T::Boolean),
        {"MaximizeButton", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = static_cast<Window&>(t).constructedWindow();
             w.setButtons(w.closeButton, w.minimizeButton, asBool(v));
         }},
        {"MinimizeButton", T::Boolean,
         [](PropertyTarget& t, const PropertyValue& v) {
             WindowWidget& w = static_cast<Window&>(t).constructedWindow();
             w.setButtons(w.closeButton, asBool(v), w.maximizeButton);
         }},
        dropped("MacProcID", T::Integer),
    };
    return table;
}

} // namespace platform
