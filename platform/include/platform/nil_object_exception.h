#pragma once
#include "platform/runtime_exception.h"

namespace platform {

// A missing object: a control not found by name, a folder that could not be had.
class NilObjectException : public RuntimeException {
public:
    using RuntimeException::RuntimeException;
    QString className() const override { return QStringLiteral("NilObjectException"); }
};

} // namespace platform
