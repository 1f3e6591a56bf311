#pragma once
// What became of a command line's request, judged from the finished line alone: its exit
// code, the HTTP status it reported on standard error, and how its runner left it. The
// one place where a line's success or failure is decided; the callers act on the result.
#include <QByteArray>

namespace commands {

// A finished command line as its runner left it.
struct FinishedLine {
    int exitCode = 0;         // -1 when the shell could not start or was killed by a signal
    QByteArray errorOutput;   // its standard error, the reported HTTP status first
    bool ended = false;       // ended because of a quit, or not started because of one
    bool cut = false;         // its output passed the bound and it was ended there
};

enum class Outcome {
    Answered,      // the service answered and the line did all it had to
    Refused,       // the service answered with a 4xx status
    Unreachable,   // no usable answer: no connection, a time-out, an answer cut short or
                   // too long, a 5xx status, any status but 200 where the answer is kept
    NotWritten,    // the output file could not be written
    Ended,         // ended by a quit
};

Outcome LineOutcome(const FinishedLine& line);

} // namespace commands
