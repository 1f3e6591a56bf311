// The stored API key and what the window does when it opens.
#include "support/app_harness.h"

#include "platform/testing.h"

#include <QDir>
#include <QFileInfo>
#include <sys/stat.h>

using namespace pwtest;

namespace {

const QString kPrompt = QStringLiteral(
    "Please enter a valid PondWhirl API key in order to access your account! Log in to www.pondwhirl.com, "
    "and record the key listed under My Account->API");
const QString kWriteError = QStringLiteral("There was an error writing the preferences file!");
const QString kTooLong = QStringLiteral("Sorry, a key longer than 255 bytes cannot be stored!");

enum class Stored { None, Key, Unreadable };

} // namespace

// In pwtest, where the table printer (support/printers.h) finds it.
namespace pwtest {
inline namespace {

struct OpeningCase {
    const char* label;
    Stored stored;
    QByteArray key;
    const char* caption;
    bool prompt;
    bool listed;   // the profile list was asked for
};

} // namespace
} // namespace pwtest

namespace {

class Opening : public ::testing::TestWithParam<OpeningCase> {};

} // namespace

TEST_P(Opening, SetsTheCaptionAndEitherListsProfilesOrPrompts)
{
    const OpeningCase& c = GetParam();
    if (c.stored == Stored::Key)
        StoreKey(c.key);
    if (c.stored == Stored::Unreadable) {
        ASSERT_TRUE(QDir().mkpath(PrefsFilePath()));   // a folder in the file's place cannot be read
    }

    ServiceScript script = DefaultScript();
    script.validKey = QString::fromLatin1(c.key);
    AppHarness harness(script);
    harness.start();

    EXPECT_EQ(harness.button().Caption(), QString::fromLatin1(c.caption));
    EXPECT_EQ(harness.keyField().Text(), c.stored == Stored::Key ? QString::fromLatin1(c.key) : QString());
    EXPECT_EQ(harness.dialogs.messages, c.prompt ? std::vector<QString>{kPrompt} : std::vector<QString>{});
    EXPECT_EQ(harness.service.requestsTo(QStringLiteral("/api/profile/list_all")).size(), c.listed ? 1u : 0u);
    EXPECT_EQ(platform::test::ListCount(harness.profileMenu()), c.listed ? 3 : 1);
    if (c.stored == Stored::Unreadable) {
        EXPECT_TRUE(QFileInfo(PrefsFilePath()).isDir());   // left as it was
    }
}

INSTANTIATE_TEST_SUITE_P(
    StoredKey, Opening,
    ::testing::Values(OpeningCase{"NoFile", Stored::None, "", "Validate API Key", true, false},
                      OpeningCase{"FifteenCharacters", Stored::Key, "0123456789abcde", "Validate API Key", true, false},
                      OpeningCase{"SixteenCharacters", Stored::Key, "0123456789abcdef", "Fetch Via API", false, true},
                      OpeningCase{"Unreadable", Stored::Unreadable, "", "Validate API Key", true, false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(StoredKey, IsOneLengthByteAndTheKeyReplacedWholeOwnerOnly)
{
    const UmaskGuard umask(0);   // owner-only must not depend on the umask
    AppHarness harness;
    harness.start();
    harness.keyField().SetText(QStringLiteral("0123456789abcde"));   // 15: not stored
    harness.window().writeKey();
    EXPECT_FALSE(QFileInfo::exists(PrefsFilePath()));

    harness.keyField().SetText(QStringLiteral("0123456789abcdef"));
    harness.window().writeKey();
    EXPECT_EQ(PrefsBytes(), QByteArray("\x10") + "0123456789abcdef");

    harness.keyField().SetText(QString(30, QLatin1Char('x')));
    harness.window().writeKey();
    harness.keyField().SetText(QString(20, QLatin1Char('y')));
    harness.window().writeKey();
    EXPECT_EQ(PrefsBytes(), QByteArray(1, char(20)) + QByteArray(20, 'y'));

    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(PrefsFilePath()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(QDir(PreferencesFolder()).entryList(QDir::Files | QDir::Hidden).size(), 1);   // no temporary left
    EXPECT_TRUE(harness.dialogs.messages.size() == 1);   // only the key prompt at opening
}

TEST(StoredKey, AKeyTooLongForItsLengthByteIsToldAndTheOldKeyStays)
{
    StoreKey(kValidKey.toLatin1());
    const QByteArray before = PrefsBytes();
    AppHarness harness;
    harness.start();
    harness.dialogs.messages.clear();
    // Counted in bytes: 128 two-byte characters are 256 bytes.
    for (const QString& key : {QString(256, QLatin1Char('k')), QString(128, QChar(0xE9))}) {
        harness.dialogs.messages.clear();
        harness.keyField().SetText(key);
        harness.window().writeKey();
        EXPECT_EQ(harness.dialogs.messages, std::vector<QString>{kTooLong});
        EXPECT_EQ(PrefsBytes(), before);
    }
    harness.keyField().SetText(QString(255, QLatin1Char('k')));
    harness.window().writeKey();
    EXPECT_EQ(PrefsBytes(), QByteArray(1, char(255)) + QByteArray(255, 'k'));
}

TEST(StoredKey, AnUnwritablePlaceIsToldAndTheClickGoesOn)
{
    // A folder where the file should be: nothing can be renamed over it, root or not.
    ASSERT_TRUE(QDir().mkpath(PrefsFilePath()));
    AppHarness harness;
    harness.start();
    ASSERT_EQ(harness.button().Caption(), QStringLiteral("Validate API Key"));
    harness.dialogs.messages.clear();
    harness.keyField().SetText(kValidKey);
    harness.click();
    // Validated, the store failed (told once, though the list load stores again), the
    // profiles were listed all the same.
    EXPECT_EQ(harness.dialogs.messages, (std::vector<QString>{QStringLiteral("API Key Validated!"), kWriteError}));
    EXPECT_EQ(harness.button().Caption(), QStringLiteral("Fetch Via API"));
    EXPECT_EQ(platform::test::ListCount(harness.profileMenu()), 3);
}

TEST(StoredKey, BytesAfterTheStoredStringAreIgnoredAndBlanksKept)
{
    StoreKey(QByteArray(" 0123456789abcd "));   // 16 with the blanks
    QFile file(PrefsFilePath());
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("trailing");
    file.close();
    ServiceScript script = DefaultScript();
    script.validKey = QStringLiteral(" 0123456789abcd ");
    AppHarness harness(script);
    harness.start();
    EXPECT_EQ(harness.keyField().Text(), QStringLiteral(" 0123456789abcd "));
    EXPECT_EQ(harness.button().Caption(), QStringLiteral("Fetch Via API"));
    EXPECT_EQ(platform::test::ListCount(harness.profileMenu()), 3);
}
