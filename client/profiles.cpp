// Key validation and the profile list, both from the service's profile-list answer.
#include "client/answers.h"
#include "client/command_lines.h"
#include "client/run_line.h"
#include "window/window1.h"

#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/runtime.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace {

const QString kRefused = QStringLiteral("Sorry, the API Key you provided is not valid!");
const QString kUnreachable = QStringLiteral("Sorry, the service could not be reached! Check your connection and try again.");

struct ListAnswer {
    commands::Outcome outcome;
    QString text;   // the answer, when the service answered
};

// Runs the profile-list command line, which goes onto the clipboard first.
ListAnswer profileListAnswer(const QString& key)
{
    platform::Shell shell;
    platform::Clipboard clipboard;
    const QString line = commands::ProfileList(key, service::requestLimits);
    clipboard.SetText(line);
    const commands::Outcome outcome = client::RunReading(shell, line);
    return ListAnswer{outcome, outcome == commands::Outcome::Answered ? shell.Result() : QString()};
}

// No answer about the key: no connection, a time-out, an answer cut short, a 5xx status.
bool serviceSaidNothing(commands::Outcome outcome)
{
    return outcome != commands::Outcome::Answered && outcome != commands::Outcome::Refused;
}

} // namespace

bool Window1::validateKey()
{
    const ListAnswer answer = profileListAnswer(apiKey());
    // A check ended by a quit tells nothing and accepts nothing.
    if (answer.outcome == commands::Outcome::Ended)
        return false;
    if (serviceSaidNothing(answer.outcome)) {
        platform::MsgBox(kUnreachable);
        return false;
    }
    // Only an answer that lists a profile accepts the key: an error text from the
    // service, or a refusing status, is a refusal.
    if (answer.outcome == commands::Outcome::Refused || !answers::ListsAProfile(answer.text)) {
        platform::MsgBox(kRefused);
        return false;
    }
    platform::MsgBox(QStringLiteral("API Key Validated!"));
    return true;
}

void Window1::loadProfile()
{
    const ListAnswer answer = profileListAnswer(apiKey());
    if (answer.outcome == commands::Outcome::Ended)
        return;
    // A key the service refuses stays silent here; a service that cannot be reached is
    // told, or the user would take the empty list for the key's.
    if (serviceSaidNothing(answer.outcome)) {
        platform::MsgBox(kUnreachable);
        return;
    }
    if (answer.outcome == commands::Outcome::Refused)
        return;
    const std::vector<answers::ProfileField> fields = answers::ProfileFields(answer.text);
    if (fields.empty())
        return;
    writeKey();

    const int n = static_cast<int>(fields.size());
    profiles.resize(n + 1);
    ids.resize(n + 1);
    auto& menu = control<platform::PopupMenu>(QStringLiteral("profilemenu"));

    // Row k, and element k of both arrays, for the k-th field with a name.
    int k = 0;
    for (const answers::ProfileField& field : fields) {
        if (platform::Len(field.name) > 0) {
            ++k;
            profiles[k] = field.name;
            menu.AddRow(field.name);
            ids[k] = field.id;
        }
        platform::YieldToNextThread();
    }
}
