// The list of open windows, and the windows the runtime holds until shut-down.
#include "platform/runtime.h"
#include "platform/window.h"

#include "runtime_private.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace platform {

namespace {

struct WindowList {
    // Every constructed window not yet destroyed, in the order they were built.
    std::vector<Window*> open;
    // The windows handed to the runtime; each is destroyed at shut-down.
    std::vector<std::unique_ptr<Window>> held;
};

WindowList& windows()
{
    static WindowList list;
    return list;
}

} // namespace

void adoptWindow(std::unique_ptr<Window> window)
{
    if (window)
        windows().held.push_back(std::move(window));
}

Window* GetImplicitWindow(const QString& fullClassName)
{
    for (Window* w : windows().open) {
        if (w->classRecord() && w->classRecord()->fullName == fullClassName)
            return w;
    }
    return nullptr;
}

void ReleaseWindowList()
{
    // Each window's destructor takes it off the open list; destroy them off the list.
    std::vector<std::unique_ptr<Window>> held;
    held.swap(windows().held);
    held.clear();
}

namespace detail {

void RegisterOpenWindow(Window* window)
{
    auto& list = windows().open;
    if (std::find(list.begin(), list.end(), window) == list.end())
        list.push_back(window);
}

void UnregisterOpenWindow(Window* window)
{
    auto& list = windows().open;
    list.erase(std::remove(list.begin(), list.end(), window), list.end());
}

void ClearOpenWindowList() { windows().open.clear(); }

} // namespace detail

} // namespace platform
