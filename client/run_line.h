#pragma once
// Runs a command line on a runner and tells what became of its request (LineOutcome).
#include "client/outcome.h"

#include "platform/files.h"
#include "platform/shell.h"

#include <QString>

namespace client {

// The runner's most recent line as LineOutcome reads it. A quit asked for while the line
// was finishing counts as ending it: from then on the program only winds down.
commands::FinishedLine Finished(const platform::Shell& shell);

commands::Outcome Run(platform::Shell& shell, const QString& commandLine);
// Run for a line whose output is read into memory: output past kAnswerBound ends the line,
// and its request counts as failed.
commands::Outcome RunReading(platform::Shell& shell, const QString& commandLine);
// Run for a line that appends to target (Shell::ExecuteAppending).
commands::Outcome RunAppending(platform::Shell& shell, const QString& commandLine, const platform::FolderItem& target);

} // namespace client
