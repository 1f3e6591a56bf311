#include "window/window1.h"

const platform::ClassRecord* Window1::Lookup()
{
    ctblinit();
    return platform::FindClass(QStringLiteral("Window1.Window1"));
}

void Window1::ctblinit()
{
    platform::RegisterClass(QStringLiteral("Window1.Window1"), platform::WindowClass());
}

Window1* Window1::implicitInstance()
{
    if (auto* found = dynamic_cast<Window1*>(platform::GetImplicitWindow(QStringLiteral("Window1.Window1"))))
        return found;
    // The runtime holds the window from the start, so that a window whose opening fails
    // stays until shut-down, as an open one does.
    auto owned = std::make_unique<Window1>();
    Window1* window = owned.get();
    platform::adoptWindow(std::move(owned));
    window->Constructor();
    return window;
}

Window1::Window1()
    : platform::Window(Lookup())
    , profiles{QString()}
    , ids{QString()}
{
}

Window1::~Window1() = default;

platform::MenuItem* Window1::menuItem(const QString& name)
{
    platform::MenuBar* bar = GetMenuBar();
    platform::MenuItem* item = bar ? bar->Lookup(name) : nullptr;
    if (!item)
        throw platform::NilObjectException(QStringLiteral("menu item %1").arg(name));
    return item;
}

platform::MenuItem* Window1::EditMenu() { return menuItem(QStringLiteral("EditMenu")); }
platform::MenuItem* Window1::EditSelectAll() { return menuItem(QStringLiteral("EditSelectAll")); }
platform::MenuItem* Window1::UntitledMenu0() { return menuItem(QStringLiteral("UntitledMenu0")); }
platform::MenuItem* Window1::EditClear() { return menuItem(QStringLiteral("EditClear")); }
platform::MenuItem* Window1::EditPaste() { return menuItem(QStringLiteral("EditPaste")); }
platform::MenuItem* Window1::EditCopy() { return menuItem(QStringLiteral("EditCopy")); }
platform::MenuItem* Window1::EditCut() { return menuItem(QStringLiteral("EditCut")); }
platform::MenuItem* Window1::UntitledMenu1() { return menuItem(QStringLiteral("UntitledMenu1")); }
platform::MenuItem* Window1::EditUndo() { return menuItem(QStringLiteral("EditUndo")); }
platform::MenuItem* Window1::FileMenu() { return menuItem(QStringLiteral("FileMenu")); }

platform::QuitMenuItem* Window1::FileQuit()
{
    auto* item = dynamic_cast<platform::QuitMenuItem*>(menuItem(QStringLiteral("FileQuit")));
    if (!item)
        throw platform::NilObjectException(QStringLiteral("menu item FileQuit"));
    return item;
}

QString Window1::apiKey() const { return control<platform::TextField>(QStringLiteral("apikeyfield")).Text(); }
