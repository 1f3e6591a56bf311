#pragma once
// The controls a window holds, each declared in its own header.
#include "platform/canvas.h"
#include "platform/popup_menu.h"
#include "platform/progress_bar.h"
#include "platform/push_button.h"
#include "platform/rect_control.h"
#include "platform/static_text.h"
#include "platform/text_field.h"
