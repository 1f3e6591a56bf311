#pragma once
// Pieces shared by the layer's window, control, menu and runtime files; not part of the
// layer's interface.
#include "platform/window.h"

#include <QAction>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMetaObject>
#include <QPointer>
#include <QSize>
#include <QVariant>
#include <functional>
#include <vector>

namespace platform::detail {

// The framework's standard Edit items, which act on the focused text field.
enum class EditRole { Undo, Cut, Copy, Paste, Clear, SelectAll };

// The list of open windows lives with the runtime; windows enter it when they are built
// and leave it when they are destroyed.
void RegisterOpenWindow(Window* window);
void UnregisterOpenWindow(Window* window);

// Runs a handler of the program from inside Qt's event loop. A C++ exception must never
// unwind through Qt's frames, so anything the handler throws goes to UnhandledException
// here and the event loop carries on. An exception from UnhandledException itself ends
// the process (noexcept): there is nowhere left to take it.
void DispatchEvent(const std::function<void()>& handler) noexcept;

// Properties the layer accepts for compatibility but that mean nothing over Qt are kept
// on the Qt object as dynamic properties, so they can still be read back.
QVariant ToVariant(const PropertyValue& value);
inline PropertyDescriptor KeptProperty(const char* name, PropertyType type,
                                       std::function<QObject*(PropertyTarget&)> holder)
{
    return {name, type, [key = QByteArray("pw") + name, holder](PropertyTarget& t, const PropertyValue& v) {
                holder(t)->setProperty(key.constData(), ToVariant(v));
            }};
}

// The Qt window behind a Window. The window's size properties describe its content, the
// area under the menu bar, so the main window is sized as content plus menu bar.
class WindowWidget : public QMainWindow {
public:
    WindowWidget();

    // Sizes the window so that its central widget gets exactly size.
    void setContentSize(QSize size);
    QSize contentSize() const;
    void setContentLimits(QSize minimum, QSize maximum);
    QSize minContent() const { return minContent_; }
    QSize maxContent() const { return maxContent_; }
    void setResizeable(bool on);
    void setButtons(bool close, bool minimize, bool maximize);
    void setMenuBarShown(bool on);
    bool menuBarShown() const { return menuBarShown_; }

    bool closeButton = true;
    bool minimizeButton = true;
    bool maximizeButton = false;

protected:
    // Closing the window quits the application.
    void closeEvent(QCloseEvent* event) override;

private:
    int menuBarHeight(int contentWidth) const;
    void applyLimits(QSize content);
    QSize minContent_{64, 64};
    QSize maxContent_{32000, 32000};
    bool resizeable_ = true;
    bool menuBarShown_ = true;
};

} // namespace platform::detail

namespace platform {

// The Qt menus built from a MenuBar tree for one window, and the standard handling of the
// Edit items on the window's focused text field.
struct Window::MenuView {
    using EditRole = detail::EditRole;
    struct EditItem {
        QAction* action;
        EditRole role;
        bool autoEnable;
    };

    static std::unique_ptr<MenuView> build(QMainWindow* window, const MenuBar& menuBar, bool shown);
    ~MenuView();

    QMenuBar* bar() const { return bar_; }

private:
    MenuView() = default;
    void addItems(QWidget* menu, const MenuItem& parent);
    QLineEdit* field() const;
    void perform(EditRole role);
    void updateEnabled();
    void watchField();

    QPointer<QMainWindow> window_;
    QPointer<QMenuBar> bar_;
    std::vector<EditItem> editItems_;
    std::vector<QMetaObject::Connection> connections_;
    std::vector<QMetaObject::Connection> fieldConnections_;
    QPointer<QLineEdit> watched_;
};

} // namespace platform
