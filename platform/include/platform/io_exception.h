#pragma once
#include "platform/runtime_exception.h"

namespace platform {

// A failed file stream, carrying the file system's error number.
class IOException : public RuntimeException {
public:
    explicit IOException(int errorNumber, QString message = {});
    QString className() const override { return QStringLiteral("IOException"); }
    int ErrorNumber() const { return errorNumber_; }

private:
    int errorNumber_;
};

} // namespace platform
