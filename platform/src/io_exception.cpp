#include "platform/io_exception.h"

#include <utility>

namespace platform {

IOException::IOException(int errorNumber, QString message)
    : RuntimeException(std::move(message)), errorNumber_(errorNumber)
{
}

} // namespace platform
