#include "platform/input_hold_scope.h"

#include "input_hold.h"

namespace platform {

InputHoldScope::InputHoldScope()
{
    if (!detail::InputHold::scopeOpen())
        hold_ = std::make_unique<detail::InputHold>(detail::InputHold::Span::Scope);
}

InputHoldScope::~InputHoldScope() = default;

} // namespace platform
