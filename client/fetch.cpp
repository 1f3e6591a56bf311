// The fetch: the profile's total, then its mentions page by page into the chosen file.
#include "client/answers.h"
#include "client/command_lines.h"
#include "client/run_line.h"
#include "window/window1.h"

#include "platform/dialogs.h"
#include "platform/runtime.h"
#include "platform/shell.h"
#include "platform/text.h"

#include <cstdint>
#include <optional>

namespace {

const QString kTotalUnreadable = QStringLiteral("Sorry, the number of mentions could not be read from the service!");
const QString kIncomplete = QStringLiteral("Sorry, the download failed before the end: the file is incomplete!");
const QString kNotWritten = QStringLiteral("Sorry, the output file could not be written!");
const QString kNoScratch = QStringLiteral(
    "Sorry, a temporary file could not be created! Check that the temporary folder can be written.");

constexpr std::int64_t kMentionsPerPage = 100;

} // namespace

void Window1::fetchMentions(const platform::FolderItem& file, const QString& profileId, int platformRow)
{
    using commands::Outcome;
    platform::Shell shell;
    const QString path = file.ShellPath();
    // Each answer is kept whole in a file of the runner's own before it is used; without
    // one nothing is asked and the chosen file stays as it was.
    const QString scratch = shell.ScratchShellPath();
    if (scratch.isEmpty()) {
        platform::MsgBox(kNoScratch);
        return;
    }

    // The total is read before the chosen file is touched: when the service cannot
    // tell it, the user's file stays as it was.
    const Outcome details =
        client::RunReading(shell, commands::ProfileDetails(profileId, apiKey(), scratch, service::requestLimits));
    if (details == Outcome::Ended)
        return;
    const std::optional<std::int32_t> read =
        details == Outcome::Answered ? answers::MentionsTotal(shell.Result()) : std::nullopt;
    if (!read) {
        platform::MsgBox(kTotalUnreadable);
        return;
    }
    const std::int32_t total = *read;

    // Pages are only ever appended: they must never follow the old content. A line that
    // only works on the file fails only by not writing it.
    const Outcome deleted = client::Run(shell, commands::Delete(path));
    if (deleted == Outcome::Ended)
        return;
    if (deleted != Outcome::Answered) {
        platform::MsgBox(kNotWritten);
        return;
    }
    if (total <= 0) {
        const Outcome created = client::Run(shell, commands::CreateEmpty(path));
        if (created == Outcome::Ended)
            return;
        if (created != Outcome::Answered) {
            platform::MsgBox(kNotWritten);
            return;
        }
    }

    // 64-bit, so a total near the 32-bit limit cannot wrap into endless requests.
    std::int64_t requested = 0;
    std::int64_t page = 0;
    while (requested < total) {
        const std::optional<std::int64_t> pageNumber = page == 0 ? std::nullopt : std::optional(page);
        // A page that fails, or is cut off by a quit, is taken out of the file again: it
        // keeps whole pages.
        const Outcome fetched = client::RunAppending(
            shell,
            commands::Mentions(request_type(platformRow + 1), request_type_tag(platformRow + 1), profileId,
                               pageNumber, apiKey(), path, scratch, service::requestLimits),
            file);
        if (fetched == Outcome::Ended)
            return;
        if (fetched == Outcome::NotWritten) {
            platform::MsgBox(kNotWritten);
            return;
        }
        if (fetched != Outcome::Answered) {
            platform::MsgBox(kIncomplete);
            return;
        }
        requested += kMentionsPerPage;
        page += 1;

        auto& bar = control<platform::ProgressBar>(QStringLiteral("ProgressBar1"));
        bar.SetValue(platform::ToInteger(static_cast<double>(requested) / static_cast<double>(total) * 100.0));
        bar.Refresh();
        Window1::implicitInstance()->UpdateNow();

        platform::YieldToNextThread();
        // Quit asked for during the yield: stop after this page; the file keeps the
        // pages finished.
        if (platform::QuitRequested())
            return;
    }
    platform::Beep();
    platform::MsgBox(QStringLiteral("Done!"));
}
