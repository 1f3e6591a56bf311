#include "platform/exceptions.h"

#include <utility>

namespace platform {

RuntimeException::RuntimeException(QString message) : message_(std::move(message)) {}

const char* RuntimeException::what() const noexcept
{
    if (what_.empty()) {
        try {
            QString text = className();
            if (!message_.isEmpty())
                text += QStringLiteral(": ") + message_;
            what_ = text.toStdString();
        } catch (...) {
            return "RuntimeException";
        }
    }
    return what_.c_str();
}

IOException::IOException(int errorNumber, QString message)
    : RuntimeException(std::move(message)), errorNumber_(errorNumber)
{
}

} // namespace platform
