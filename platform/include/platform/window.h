#pragma once
// A window and the controls it holds.
//
// A window subclass handles its Layout, CreateControls and Open events by overriding the
// Event* hooks; Constructor() builds the window and raises the three in that order.
// Controls are made for a window with New<T>(), constructed, and added under a name;
// RuntimeWindowControlByName finds them again.
#include "platform/controls.h"
#include "platform/menus.h"
#include "platform/properties.h"
#include "platform/runtime.h"

#include <QString>
#include <memory>
#include <vector>

class QWidget;

namespace platform {

namespace detail {
class WindowWidget;
}
namespace test {
struct Access;
}

// A top-level window. Closing it (its close button, the window manager's close) quits the
// application, as Quit does, whatever runs at that moment.
class Window : public PropertyTarget {
public:
    explicit Window(const ClassRecord* classRecord);
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const ClassRecord* classRecord() const { return classRecord_; }

    // The default construction: builds the window, registers it in the list of open
    // windows and raises Layout, CreateControls and Open, in that order.
    void Constructor();

    // A new control of class T, made for this window (Window.__New).
    template <class T>
    std::unique_ptr<T> New() { return std::make_unique<T>(this); }
    // Adds a constructed control under name; from then on it is found by that name.
    RectControl* AddControl(const QString& name, std::unique_ptr<RectControl> control);
    // The control added under name, or nullptr.
    RectControl* ControlByName(const QString& name) const;
    // All controls, in the order they were added.
    std::vector<RectControl*> Controls() const;

    // Shows menuBar in this window (the caller keeps ownership; nullptr removes it).
    void SetMenuBar(MenuBar* menuBar);
    MenuBar* GetMenuBar() const { return menuBar_; }

    // Draws pending changes on the screen at once.
    void UpdateNow();
    bool Visible() const;

    // The widget that holds the controls.
    QWidget* content() const { return content_; }

    const std::vector<PropertyDescriptor>& propertyTable() const override;

protected:
    virtual void EventLayout() {}
    virtual void EventCreateControls() {}
    virtual void EventOpen() {}

private:
    friend class RectControl;
    friend struct test::Access;
    void updateTabOrder();
    // The Qt window; NilObjectException before Constructor.
    detail::WindowWidget& constructedWindow() const;
    const ClassRecord* classRecord_;
    // Parentless: this object is its one owner. It owns content_ and the menu widgets.
    std::unique_ptr<detail::WindowWidget> qtWindow_;
    QWidget* content_ = nullptr;
    MenuBar* menuBar_ = nullptr;
    std::vector<std::unique_ptr<RectControl>> controls_;
    struct MenuView;
    std::unique_ptr<MenuView> menuView_;
};

// The control added to window under name, or nullptr (window may be nullptr).
RectControl* RuntimeWindowControlByName(const Window* window, const QString& name);

} // namespace platform
