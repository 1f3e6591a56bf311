#pragma once
// Menu items, the quit item and the menu bar: a tree of plain objects.
#include "platform/menu_bar.h"
#include "platform/menu_item.h"
#include "platform/quit_menu_item.h"
