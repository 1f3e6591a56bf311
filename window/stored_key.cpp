// The API key kept in the preferences file, and what the window does when it opens.
#include "client/service.h"
#include "window/window1.h"

#include "platform/dialogs.h"
#include "platform/text.h"

namespace {

const QString kPrefsFileName = QStringLiteral("Pondwhirl Downloader Prefs");
const QString kValidateCaption = QStringLiteral("Validate API Key");
const QString kWriteError = QStringLiteral("There was an error writing the preferences file!");
const QString kTooLong = QStringLiteral("Sorry, a key longer than 255 bytes cannot be stored!");

// A key counts as present only with more than 15 characters.
bool keyPresent(const QString& key) { return platform::Len(key) > 15; }

QString keyPrompt()
{
    return QStringLiteral("Please enter a valid PondWhirl API key in order to access your account! Log in to ") +
           service::kWebsiteDomain + QStringLiteral(", and record the key listed under My Account->API");
}

std::unique_ptr<platform::FolderItem> prefsFile()
{
    std::unique_ptr<platform::FolderItem> folder = platform::SpecialFolderPreferences();
    if (!folder)
        return nullptr;
    return folder->Child(kPrefsFileName);
}

} // namespace

void Window1::Event_Open()
{
    loadKey();
    if (keyPresent(apiKey())) {
        loadProfile();
        return;
    }
    control<platform::PushButton>(QStringLiteral("PushButton1")).SetCaption(kValidateCaption);
    platform::MsgBox(keyPrompt());
}

void Window1::loadKey()
{
    std::unique_ptr<platform::FolderItem> item = prefsFile();
    // A file that cannot be had, opened or read is treated as absent and left alone:
    // raising here would end the application at every start.
    QString stored;
    bool loaded = false;
    if (item && item->Exists()) {
        try {
            std::unique_ptr<platform::BinaryStream> stream = platform::BinaryStream::Open(*item);
            stored = stream->ReadPString();
            loaded = true;
        } catch (const platform::IOException&) {
        }
    }
    if (!loaded) {
        control<platform::PushButton>(QStringLiteral("PushButton1")).SetCaption(kValidateCaption);
        return;
    }
    control<platform::TextField>(QStringLiteral("apikeyfield")).SetText(stored);
}

void Window1::writeKey()
{
    if (!keyPresent(apiKey()))
        return;
    // Any failure to store is told and ends only the store: the caller goes on. A click
    // that stores twice (validation, then the profile list) tells a failure once. The
    // stream writes beside the old file and replaces it only when complete, so a failed
    // store leaves the old key in place.
    auto tell = [this](const QString& text) {
        if (handlingClick_ && storeFailureToldInClick_ == clicks_)
            return;
        storeFailureToldInClick_ = clicks_;
        platform::MsgBox(text);
    };
    // The file holds one length byte before the key.
    if (apiKey().toUtf8().size() > 255) {
        tell(kTooLong);
        return;
    }
    try {
        std::unique_ptr<platform::FolderItem> item = prefsFile();
        if (!item) {
            tell(kWriteError);
            return;
        }
        std::unique_ptr<platform::BinaryStream> stream = platform::BinaryStream::Create(*item);
        stream->WritePString(apiKey());
        stream->Close();
    } catch (const platform::IOException&) {
        tell(kWriteError);
    }
}
