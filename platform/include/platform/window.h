#pragma once
// Windows and their controls, over Qt Widgets.
//
// A window subclass handles its Layout, CreateControls and Open events by overriding the
// Event* hooks; Constructor() builds the window and raises the three in that order.
// Controls are made for a window with New<T>(), constructed, and added under a name;
// RuntimeWindowControlByName finds them again.
#include "platform/files.h"
#include "platform/menus.h"
#include "platform/properties.h"
#include "platform/runtime.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QWidget;
class QMainWindow;

namespace platform {

class Window;

// Base of every control placed in a window at an absolute position.
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
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    int TabIndex() const { return tabIndex_; }
    bool Enabled() const;
    bool Visible() const { return visible_; }
    // Repaints the control at once.
    void Refresh(bool eraseBackground);

    // The control's widget, for the layer and for tests that act as a user would.
    QWidget* widget() const { return widget_; }

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
    QWidget* widget_ = nullptr;
    QString name_;
    int tabIndex_ = -1;
    bool visible_ = true;
};

// A plain area showing a backdrop picture at its top-left corner.
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

// A one-line text field.
class TextField : public RectControl {
public:
    using RectControl::RectControl;
    QString Text() const;
    void SetText(const QString& text);
    void SetTextUnit(int unit) { textUnit_ = unit; }
    int TextUnit() const { return textUnit_; }
    const std::vector<PropertyDescriptor>& propertyTable() const override;

protected:
    QWidget* createWidget(QWidget* parent) override;

private:
    int textUnit_ = 0;
};

// A popup menu of text rows.
class PopupMenu : public RectControl {
public:
    using RectControl::RectControl;
    // The selected row, 0-based; -1 when none.
    int ListIndex() const;
    void SetListIndex(int index);
    // The selected row's text; empty when none.
    QString Text() const;
    void AddRow(const QString& text);
    int ListCount() const;
    QString List(int row) const;
    void SetTextUnit(int unit) { textUnit_ = unit; }
    int TextUnit() const { return textUnit_; }
    const std::vector<PropertyDescriptor>& propertyTable() const override;

protected:
    QWidget* createWidget(QWidget* parent) override;

private:
    int textUnit_ = 0;
};

// A label.
class StaticText : public RectControl {
public:
    using RectControl::RectControl;
    QString Text() const;
    void SetText(const QString& text);
    // Ties the label to the control beside it, so assistive technology names the control
    // by the label's text. Nothing changes on screen.
    void SetBuddy(RectControl& control);
    void SetTextUnit(int unit) { textUnit_ = unit; }
    int TextUnit() const { return textUnit_; }
    const std::vector<PropertyDescriptor>& propertyTable() const override;

protected:
    QWidget* createWidget(QWidget* parent) override;
    bool acceptsFocus() const override { return false; }

private:
    int textUnit_ = 0;
};

// A push button with an Action event.
class PushButton : public RectControl {
public:
    using RectControl::RectControl;
    using ActionHandler = std::function<void(PushButton&)>;

    // The caption as last set, whatever the widget shows.
    QString Caption() const;
    void SetCaption(const QString& caption);
    void SetTextUnit(int unit) { textUnit_ = unit; }
    int TextUnit() const { return textUnit_; }
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
    int textUnit_ = 0;
    ActionHandler action_;
    // The caption as set: a desktop theme may add accelerator marks to the widget's text.
    QString caption_;
};

// A progress bar. Value keeps and reads back any integer; the bar shows it clamped to
// 0..Maximum.
class ProgressBar : public RectControl {
public:
    using RectControl::RectControl;
    int Value() const { return value_; }
    void SetValue(int value);
    int Maximum() const { return maximum_; }
    void SetMaximum(int maximum);
    // What the bar shows now.
    int ShownValue() const;
    const std::vector<PropertyDescriptor>& propertyTable() const override;

protected:
    QWidget* createWidget(QWidget* parent) override;
    bool acceptsFocus() const override { return false; }

private:
    int value_ = 0;
    int maximum_ = 100;
};

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
    QString Title() const;
    bool Visible() const;
    // Size of the content under the menu bar.
    int Width() const;
    int Height() const;

    // The Qt window, for the layer and for tests that act as a user would.
    QMainWindow* qtWindow() const { return qtWindow_; }
    // The widget that holds the controls.
    QWidget* content() const { return content_; }

    const std::vector<PropertyDescriptor>& propertyTable() const override;

protected:
    virtual void EventLayout() {}
    virtual void EventCreateControls() {}
    virtual void EventOpen() {}

private:
    friend class RectControl;
    void updateTabOrder();
    const ClassRecord* classRecord_;
    QMainWindow* qtWindow_ = nullptr;
    QWidget* content_ = nullptr;
    MenuBar* menuBar_ = nullptr;
    std::vector<std::unique_ptr<RectControl>> controls_;
    struct MenuView;
    std::unique_ptr<MenuView> menuView_;
};

// The control added to window under name, or nullptr (window may be nullptr).
RectControl* RuntimeWindowControlByName(const Window* window, const QString& name);

} // namespace platform
