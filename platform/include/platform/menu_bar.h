#pragma once
// The root item of a menu tree; its children are the menus.
#include "platform/menu_item.h"

namespace platform {

class MenuBar : public MenuItem {};

} // namespace platform
