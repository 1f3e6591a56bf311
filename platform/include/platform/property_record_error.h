#pragma once
#include <stdexcept>

namespace platform {

// A record that does not fit its target: a programming error, raised loudly.
class PropertyRecordError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

} // namespace platform
