#pragma once
// The quit item: its action quits the application.
#include "platform/menu_item.h"

namespace platform {

class QuitMenuItem : public MenuItem {
public:
    bool IsQuitItem() const override { return true; }
};

} // namespace platform
