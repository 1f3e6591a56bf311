#pragma once
// Folder and file items, pictures read from files, and binary streams.
#include "platform/binary_stream.h"
#include "platform/folder_item.h"
#include "platform/picture.h"
