#include "client/outcome.h"

#include "client/command_lines.h"

#include <optional>

namespace commands {

namespace {

// The HTTP status a request line reports as the first three bytes of its standard error
// ("000" when no answer came); nullopt when it reported none (curl did not run).
std::optional<int> reportedStatus(const QByteArray& errorOutput)
{
    if (errorOutput.size() < 3)
        return std::nullopt;
    int status = 0;
    for (int i = 0; i < 3; ++i) {
        const char c = errorOutput[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        status = status * 10 + (c - '0');
    }
    return status;
}

} // namespace

Outcome LineOutcome(const FinishedLine& line)
{
    if (line.ended)
        return Outcome::Ended;
    if (line.cut)
        return Outcome::Unreachable;
    if (line.exitCode == kNotWritten)
        return Outcome::NotWritten;
    if (line.exitCode == 0)
        return Outcome::Answered;
    // Only a 4xx status is the service's own word on the request; every other failure
    // (curl's own, a status it does not take, a line that never ran) is no answer.
    const std::optional<int> status = reportedStatus(line.errorOutput);
    if (status && *status >= 400 && *status < 500)
        return Outcome::Refused;
    return Outcome::Unreachable;
}

} // namespace commands
