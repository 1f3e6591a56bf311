// The action button: validate mode and the start of a fetch, up to the save dialog.
#include "client/command_lines.h"
#include "window/window1.h"

#include "platform/dialogs.h"
#include "platform/input_hold_scope.h"
#include "platform/text.h"

namespace {

class ClickGuard {
public:
    explicit ClickGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~ClickGuard() { flag_ = false; }
    ClickGuard(const ClickGuard&) = delete;
    ClickGuard& operator=(const ClickGuard&) = delete;

private:
    bool& flag_;
};

} // namespace

void Window1::PushButton1_Action(platform::PushButton& sender)
{
    if (handlingClick_)
        return;
    ClickGuard guard(handlingClick_);
    ++clicks_;

    if (platform::StrComp(sender.Caption(), QStringLiteral("Validate API Key"), 0) == 0) {
        // What the user types while the key is checked and the list loaded reaches the
        // field only after the click: the key stored and listed is the key the service
        // accepted.
        const platform::InputHoldScope holdInput;
        // validateKey tells why a key is not taken.
        if (validateKey()) {
            sender.SetCaption(QStringLiteral("Fetch Via API"));
            writeKey();
            loadProfile();
        }
        return;
    }

    writeKey();
    const int row = control<platform::PopupMenu>(QStringLiteral("profilemenu")).ListIndex();
    if (!(row > 0)) {
        platform::MsgBox(QStringLiteral("Error - you must pick a profile!"));
        return;
    }
    const QString name = profiles.value(row);
    auto& platformMenu = control<platform::PopupMenu>(QStringLiteral("platformmenu"));
    const QString defaultName = commands::DefaultFileName(name, platformMenu.Text());
    const QString profileId = ids.value(row);
    const int platformRow = platformMenu.ListIndex();
    std::unique_ptr<platform::FolderItem> file =
        platform::GetSaveFolderItem(QStringLiteral("text/any"), defaultName);
    if (!file)
        return;
    fetchMentions(*file, profileId, platformRow);
}
