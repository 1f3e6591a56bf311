#pragma once
// Not part of the layer's interface.
#include "platform/window.h"

#include <QAction>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMetaObject>
#include <QPointer>
#include <memory>
#include <vector>

namespace platform {

namespace detail {
// The framework's standard Edit items, which act on the focused text field.
enum class EditRole { Undo, Cut, Copy, Paste, Clear, SelectAll };
} // namespace detail

// The Qt menus built from a MenuBar tree for one window, and the standard handling of the
// Edit items on the window's focused text field.
struct Window::MenuView {
    using EditRole = detail::EditRole;
    struct EditItem {
        QPointer<QAction> action;
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
    // The field whose signals are followed. Held as a QObject: it is compared while the
    // field is being destroyed (losing the focus on the way), when it is no QLineEdit any
    // more.
    QPointer<QObject> watched_;
};

} // namespace platform
