// Key validation and the profile list, both from the service's profile-list answer.
#include "client/command_lines.h"
#include "window/window1.h"

#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace {

const QString kProfileTag = QStringLiteral("<profile>");

// Runs the profile-list command line, which goes onto the clipboard first, and returns
// the answer.
QString profileListAnswer(const QString& key)
{
    platform::Shell shell;
    platform::Clipboard clipboard;
    const QString line = commands::ProfileList(key);
    clipboard.SetText(line);
    shell.Execute(line);
    return shell.Result();
}

// The text between the first open tag and the first close tag after it.
QString cut(const QString& field, const QString& open, const QString& close)
{
    return platform::NthField(platform::NthField(field, open, 2), close, 1);
}

} // namespace

bool Window1::validateKey()
{
    const QString answer = profileListAnswer(apiKey());
    // Only an answer that lists a profile accepts the key: an error text from the
    // service, or a failed request, is a refusal.
    if (platform::CountFields(answer, kProfileTag) < 2)
        return false;
    platform::MsgBox(QStringLiteral("API Key Validated!"));
    return true;
}

void Window1::loadProfile()
{
    const QString answer = profileListAnswer(apiKey());
    const int n = platform::CountFields(answer, kProfileTag);
    if (n == 0)
        return;
    writeKey();

    // One split of the answer, read once: field i is element i - 1.
    const QStringList fields = answer.split(kProfileTag, Qt::KeepEmptyParts);
    profiles.resize(n + 1);
    ids.resize(n + 1);
    auto& menu = control<platform::PopupMenu>(QStringLiteral("profilemenu"));

    int k = 0;
    for (int i = 1; i <= n; ++i) {
        const QString& field = fields.at(i - 1);
        const QString name = cut(field, QStringLiteral("<name>"), QStringLiteral("</name>"));
        if (platform::Len(name) > 0) {
            ++k;
            profiles[k] = name;
            menu.AddRow(name);
            ids[k] = cut(field, QStringLiteral("<id>"), QStringLiteral("</id>"));
        }
        platform::YieldToNextThread();
    }
}
