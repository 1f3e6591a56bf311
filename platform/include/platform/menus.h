#pragma once
// Menus: a tree of plain objects, menu items under a menu bar. A window shows a menu bar
// by building Qt menus from it.
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace platform {

// A node of the menu tree.
class MenuItem {
public:
    MenuItem() = default;
    virtual ~MenuItem() = default;
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    // The default construction of a new item.
    void Constructor() {}

    void SetName(const QString& name) { name_ = name; }
    void SetAutoEnable(bool on) { autoEnable_ = on; }
    // The title, "&" marks included; "-" makes a separator.
    void SetText(const QString& text) { text_ = text; }
    // "Cmd+" and a letter: the command key with that letter (Ctrl here). "" for none.
    void SetKeyboardShortcut(const QString& shortcut) { shortcut_ = shortcut; }

    QString Name() const { return name_; }
    QString Text() const { return text_; }
    bool AutoEnable() const { return autoEnable_; }
    // nullopt when never set.
    const std::optional<QString>& KeyboardShortcut() const { return shortcut_; }
    virtual bool IsQuitItem() const { return false; }

    // Adds item as the last child.
    void Append(std::unique_ptr<MenuItem> item);
    // The direct child whose Name is name, or nullptr.
    MenuItem* Child(const QString& name) const;
    // The item of this tree (this one included) whose Name is name, or nullptr.
    MenuItem* Lookup(const QString& name);
    int Count() const { return static_cast<int>(children_.size()); }
    MenuItem* Item(int index) const;

private:
    QString name_;
    QString text_;
    std::optional<QString> shortcut_;
    bool autoEnable_ = true;
    std::vector<std::unique_ptr<MenuItem>> children_;
};

// The quit item: its action quits the application.
class QuitMenuItem : public MenuItem {
public:
    bool IsQuitItem() const override { return true; }
};

// The root item of a menu tree; its children are the menus.
class MenuBar : public MenuItem {};

} // namespace platform
