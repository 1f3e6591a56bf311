#pragma once
// Exceptions the framework raises.
#include "platform/io_exception.h"
#include "platform/nil_object_exception.h"
#include "platform/runtime_exception.h"
