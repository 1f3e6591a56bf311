// The fetch: the profile's total, then its mentions page by page into the chosen file.
#include "client/command_lines.h"
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

constexpr std::int64_t kMentionsPerPage = 100;

// The number inside the first element whose tag begins with "total_".
std::int32_t totalFrom(const QString& answer)
{
    const QString first = platform::NthField(answer, QStringLiteral("<total_"), 2);
    const QString inside = platform::NthField(first, QStringLiteral(">"), 2);
    const QString number = platform::NthField(inside, QStringLiteral("</total_"), 1);
    return platform::ToInteger(platform::Val(number));
}

} // namespace

void Window1::fetchMentions(const platform::FolderItem& file, const QString& profileId, int platformRow)
{
    platform::Shell shell;
    const QString path = file.ShellPath();

    // The total is read before the chosen file is touched: when the service cannot
    // tell it, the user's file stays as it was.
    shell.Execute(commands::ProfileDetails(profileId, apiKey()));
    const QString answer = shell.Result();
    if (shell.ExitCode() != 0 || platform::CountFields(answer, QStringLiteral("<total_")) < 2) {
        platform::MsgBox(kTotalUnreadable);
        return;
    }
    const std::int32_t total = totalFrom(answer);

    // Pages are only ever appended: they must never follow the old content.
    shell.Execute(commands::Delete(path));
    if (shell.ExitCode() != 0) {
        platform::MsgBox(kNotWritten);
        return;
    }
    if (total <= 0) {
        shell.Execute(commands::CreateEmpty(path));
        if (shell.ExitCode() != 0) {
            platform::MsgBox(kNotWritten);
            return;
        }
    }

    // 64-bit, so a total near the 32-bit limit cannot wrap into endless requests.
    std::int64_t requested = 0;
    std::int64_t page = 0;
    while (requested < total) {
        const std::optional<std::int64_t> pageNumber = page == 0 ? std::nullopt : std::optional(page);
        shell.Execute(commands::Mentions(request_type(platformRow + 1), request_type_tag(platformRow + 1),
                                         profileId, pageNumber, apiKey(), path));
        const int status = shell.ExitCode();
        if (status == commands::kRequestFailed || status < 0) {
            platform::MsgBox(kIncomplete);
            return;
        }
        if (status != 0) {
            platform::MsgBox(kNotWritten);
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
