#include "app/menubar1.h"

#include "platform/exceptions.h"

#include <memory>

namespace {

std::unique_ptr<MenuBar1> implicitInstanceHolder;

struct ItemSpec {
    bool quit;
    const char* name;
    const char* text;
    const char* shortcut;   // nullptr: never set
};

// Properties are set in the order Name, AutoEnable, Text, KeyboardShortcut, all before
// the item is attached.
std::unique_ptr<platform::MenuItem> makeItem(const ItemSpec& spec)
{
    std::unique_ptr<platform::MenuItem> item;
    if (spec.quit)
        item = std::make_unique<platform::QuitMenuItem>();
    else
        item = std::make_unique<platform::MenuItem>();
    item->Constructor();
    item->SetName(QString::fromLatin1(spec.name));
    item->SetAutoEnable(true);
    item->SetText(QString::fromLatin1(spec.text));
    if (spec.shortcut)
        item->SetKeyboardShortcut(QString::fromLatin1(spec.shortcut));
    return item;
}

// Items go to their menu, found on the bar by name for each one.
void appendToMenu(platform::MenuBar& bar, const char* menuName, std::unique_ptr<platform::MenuItem> item)
{
    platform::MenuItem* menu = bar.Child(QString::fromLatin1(menuName));
    if (!menu)
        throw platform::NilObjectException(QStringLiteral("menu %1").arg(QString::fromLatin1(menuName)));
    menu->Append(std::move(item));
}

} // namespace

const platform::ClassRecord* MenuBar1::Lookup()
{
    ctblinit();
    return platform::FindClass(QStringLiteral("MenuBar1.MenuBar1"));
}

void MenuBar1::ctblinit()
{
    platform::RegisterClass(QStringLiteral("MenuBar1.MenuBar1"), platform::MenuBarClass());
}

MenuBar1* MenuBar1::implicitInstance()
{
    if (!implicitInstanceHolder) {
        // Stored only once built, so a failed build leaves nothing half-made behind.
        auto bar = std::make_unique<MenuBar1>();
        bar->Constructor();
        implicitInstanceHolder = std::move(bar);
    }
    return implicitInstanceHolder.get();
}

MenuBar1* MenuBar1::existingInstance() { return implicitInstanceHolder.get(); }

void MenuBar1::implicitInstanceExit() { implicitInstanceHolder.reset(); }

void MenuBar1::Constructor()
{
    Untitled0();
    Untitled1();
}

void MenuBar1::Untitled0()
{
    Append(makeItem({false, "FileMenu", "&File", ""}));
    appendToMenu(*this, "FileMenu", makeItem({true, "FileQuit", "&Quit", "Cmd+Q"}));
}

void MenuBar1::Untitled1()
{
    Append(makeItem({false, "EditMenu", "&Edit", ""}));
    static const ItemSpec items[] = {
        {false, "EditUndo", "&Undo", "Cmd+Z"},
        {false, "UntitledMenu1", "-", nullptr},
        {false, "EditCut", "Cu&t", "Cmd+X"},
        {false, "EditCopy", "&Copy", "Cmd+C"},
        {false, "EditPaste", "&Paste", "Cmd+V"},
        {false, "EditClear", "&Delete", ""},
        {false, "UntitledMenu0", "-", nullptr},
        {false, "EditSelectAll", "Select &All", "Cmd+A"},
    };
    for (const ItemSpec& spec : items)
        appendToMenu(*this, "EditMenu", makeItem(spec));
}
