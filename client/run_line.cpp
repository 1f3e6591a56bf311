#include "client/run_line.h"

#include "client/command_lines.h"

#include "platform/runtime.h"

namespace client {

commands::FinishedLine Finished(const platform::Shell& shell)
{
    commands::FinishedLine line;
    line.exitCode = shell.ExitCode();
    line.errorOutput = shell.ErrorOutput();
    line.ended = shell.Ended() || platform::QuitRequested();
    line.cut = shell.OutputCut();
    return line;
}

commands::Outcome Run(platform::Shell& shell, const QString& commandLine)
{
    shell.Execute(commandLine);
    return commands::LineOutcome(Finished(shell));
}

commands::Outcome RunReading(platform::Shell& shell, const QString& commandLine)
{
    shell.SetOutputLimit(commands::kAnswerBound);
    shell.Execute(commandLine);
    shell.SetOutputLimit(0);
    return commands::LineOutcome(Finished(shell));
}

commands::Outcome RunAppending(platform::Shell& shell, const QString& commandLine, const platform::FolderItem& target)
{
    shell.ExecuteAppending(commandLine, target);
    return commands::LineOutcome(Finished(shell));
}

} // namespace client
