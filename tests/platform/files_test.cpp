#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/testing.h"

#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <ostream>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace platform;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Runs f, which must raise IOException, and gives its error number (0 when none was raised).
int ioErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const IOException& e) {
        return e.ErrorNumber();
    }
    return 0;
}

QByteArray record(const QByteArray& bytes) { return char(bytes.size()) + bytes; }

// -------------------------------------------------------------------------------------
// FolderItem

TEST(FolderItemTest, ChildParentAndName)
{
    const QString folder = pwtest::ScratchFolder();
    const FolderItem dir(folder);
    EXPECT_TRUE(dir.Exists());
    EXPECT_TRUE(platform::test::Directory(dir));

    const auto prefs = dir.Child(pwtest::PrefsFileName());
    ASSERT_NE(prefs, nullptr);
    EXPECT_EQ(prefs->NativePath(), folder + u'/' + pwtest::PrefsFileName());
    EXPECT_EQ(prefs->Name(), pwtest::PrefsFileName());
    EXPECT_FALSE(prefs->Exists());
    EXPECT_FALSE(platform::test::Directory(*prefs));
    writeFile(prefs->NativePath(), "x");
    EXPECT_TRUE(prefs->Exists());
    EXPECT_FALSE(platform::test::Directory(*prefs));
    ASSERT_NE(prefs->Parent(), nullptr);
    EXPECT_EQ(prefs->Parent()->NativePath(), folder);

    for (const QString& bad : {QString(), QStringLiteral("a/b"), QStringLiteral("/"),
                               QString::fromUtf8("a\0b", 3)})
        EXPECT_EQ(dir.Child(bad), nullptr) << bad.toStdString();

    EXPECT_EQ(FolderItem(QStringLiteral("/")).Parent(), nullptr);
    EXPECT_EQ(FolderItem(QStringLiteral("/tmp")).Parent()->NativePath(), QStringLiteral("/"));
    EXPECT_EQ(FolderItem(QStringLiteral("/")).Child(QStringLiteral("tmp"))->NativePath(),
              QStringLiteral("/tmp"));
    EXPECT_EQ(FolderItem(folder + u'/').Child(QStringLiteral("a"))->NativePath(), folder + QStringLiteral("/a"));
}

// Each hostile name stands in a shell line as exactly one word naming exactly that file.
TEST(FolderItemTest, ShellPathIsOneWordForAnyName)
{
    EXPECT_EQ(FolderItem(QStringLiteral("/tmp/it's")).ShellPath(), QStringLiteral("'/tmp/it'\\''s'"));

    const QString names[] = {
        QStringLiteral("with blank"),  QStringLiteral("it's"),        QStringLiteral("''"),
        QStringLiteral("say \"hi\""),  QStringLiteral("$HOME"),       QStringLiteral("$(touch canary)"),
        QStringLiteral("`touch canary`"), QStringLiteral("a;touch canary"), QStringLiteral("*"),
        QStringLiteral("new\nline"),   QStringLiteral("back\\slash"), QStringLiteral("-n"),
        QStringLiteral("--help"),      QStringLiteral("a&b|c>d"),     QStringLiteral("tab\there"),
        QString::fromUtf8("h\xC3\xA9llo \xF0\x9F\x94\x91"),
    };
    Shell shell;
    for (const QString& name : names) {
        const QString folder = pwtest::ScratchFolder();
        const auto item = FolderItem(folder).Child(name);
        ASSERT_NE(item, nullptr);
        shell.Execute(QStringLiteral("cd '%1' && printf %s ").arg(folder) + item->ShellPath());
        EXPECT_EQ(platform::test::ResultBytes(shell), item->NativePath().toUtf8()) << name.toStdString();
        shell.Execute(QStringLiteral("cd '%1' && : > ").arg(folder) + item->ShellPath());
        EXPECT_EQ(shell.ExitCode(), 0) << name.toStdString();
        EXPECT_EQ(entries(folder), QStringList{name}) << name.toStdString();
    }
}

TEST(FolderItemTest, OpenAsPicture)
{
    const auto resources = GetApplicationBundleResources();
    ASSERT_NE(resources, nullptr);
    const auto logo = resources->Child(QStringLiteral("pondwhirl_logo_transparent_logo.png"))->OpenAsPicture();
    ASSERT_NE(logo, nullptr);
    EXPECT_GT(platform::test::Width(*logo), 0);
    EXPECT_GT(platform::test::Height(*logo), 0);

    const QString folder = pwtest::ScratchFolder();
    writeFile(folder + QStringLiteral("/not-a.png"), "plain text, no picture");
    EXPECT_EQ(FolderItem(folder + QStringLiteral("/not-a.png")).OpenAsPicture(), nullptr);
    EXPECT_EQ(FolderItem(folder + QStringLiteral("/missing.png")).OpenAsPicture(), nullptr);
    EXPECT_EQ(FolderItem(folder).OpenAsPicture(), nullptr);
}

TEST(FolderItemTest, ResourcesFolderBesideTheExecutable)
{
    const auto resources = GetApplicationBundleResources();
    ASSERT_NE(resources, nullptr);
    EXPECT_EQ(resources->NativePath(),
              QDir::cleanPath(QCoreApplication::applicationDirPath() +
                              QStringLiteral("/../share/pondwhirl-downloader/Resources")));
    EXPECT_TRUE(platform::test::Directory(*resources));

    const QString saved = QCoreApplication::applicationName();
    const auto restore = qScopeGuard([&] { QCoreApplication::setApplicationName(saved); });
    QCoreApplication::setApplicationName(QStringLiteral("no-such-application-pw"));
    EXPECT_EQ(GetApplicationBundleResources(), nullptr);
}

TEST(FolderItemTest, PreferencesFolderFollowsXdgConfigHomeAndIsCreated)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", saved); });
    const auto current = SpecialFolderPreferences();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->NativePath(), pwtest::PreferencesFolder());

    const QString fresh = pwtest::ScratchFolder() + QStringLiteral("/not/yet/there");
    qputenv("XDG_CONFIG_HOME", fresh.toUtf8());
    const auto created = SpecialFolderPreferences();
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->NativePath(), fresh);
    EXPECT_TRUE(QFileInfo(fresh).isDir());

    qunsetenv("XDG_CONFIG_HOME");
    const auto fallback = SpecialFolderPreferences();
    ASSERT_NE(fallback, nullptr);
    EXPECT_EQ(fallback->NativePath(), QDir::homePath() + QStringLiteral("/.config"));
    EXPECT_TRUE(QFileInfo(fallback->NativePath()).isDir());

    // A regular file where the folder would go: it cannot be had.
    const QString blocker = pwtest::ScratchFolder() + QStringLiteral("/file");
    writeFile(blocker, "x");
    qputenv("XDG_CONFIG_HOME", (blocker + QStringLiteral("/config")).toUtf8());
    EXPECT_EQ(SpecialFolderPreferences(), nullptr);
}

// -------------------------------------------------------------------------------------
// BinaryStream

TEST(BinaryStreamTest, WrittenStringReadsBackAndFileHoldsExactlyIt)
{
    const QString keys[] = {
        QStringLiteral("0123456789abcdef"),
        QString(),
        QStringLiteral(" key with blanks "),
        QString::fromUtf8("\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87-\xC3\xBC\xC3\xB1\xC3\xAF-\xF0\x9F\x94\x91-key"),
        QString(255, u'k'),
    };
    const auto item = FolderItem(pwtest::ScratchFolder()).Child(pwtest::PrefsFileName());
    for (const QString& key : keys) {
        auto out = BinaryStream::Create(*item);
        out->WritePString(key);
        out->Close();
        EXPECT_EQ(readAll(item->NativePath()), record(key.toUtf8())) << key.toStdString();

        auto in = BinaryStream::Open(*item);
        EXPECT_EQ(in->ReadPString(), key);
        in->Close();
    }
    // 16 ASCII characters: the length byte and the key, nothing more.
    auto out = BinaryStream::Create(*item);
    out->WritePString(QStringLiteral("ABCDEFGHIJKLMNOP"));
    out->Close();
    EXPECT_EQ(QFileInfo(item->NativePath()).size(), 17);
}

TEST(BinaryStreamTest, ShorterKeyReplacesLongerOneWhole)
{
    const auto item = FolderItem(pwtest::ScratchFolder()).Child(QStringLiteral("prefs"));
    for (const int length : {30, 20}) {
        auto out = BinaryStream::Create(*item);
        out->WritePString(QString(length, QLatin1Char(char('a' + length % 26))));
        out->Close();
    }
    EXPECT_EQ(readAll(item->NativePath()), record(QByteArray(20, 'a' + 20 % 26)));
    EXPECT_EQ(QFileInfo(item->NativePath()).size(), 21);
}

TEST(BinaryStreamTest, CreatedFileIsOwnerOnlyFromTheStart)
{
    const QString folder = pwtest::ScratchFolder();
    const auto item = FolderItem(folder).Child(QStringLiteral("prefs"));
    writeFile(item->NativePath(), record("an older key of some length"));
    ASSERT_EQ(::chmod(QFile::encodeName(item->NativePath()).constData(), 0644), 0);

    for (const mode_t mask : {mode_t(0), mode_t(0277)}) {
        std::optional<pwtest::UmaskGuard> umask(std::in_place, mask);
        auto out = BinaryStream::Create(*item);
        out->WritePString(QStringLiteral("0123456789abcdef"));
        // Every file in the folder, the one being written included, is owner-only now.
        for (const QString& name : entries(folder)) {
            if (name == QStringLiteral("prefs"))
                continue;
            struct stat st {};
            ASSERT_EQ(::stat(QFile::encodeName(folder + u'/' + name).constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, 0600u) << name.toStdString() << " umask " << mask;
        }
        out->Close();
        umask.reset();
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(item->NativePath()).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u) << "umask " << mask;
        EXPECT_EQ(entries(folder), QStringList{QStringLiteral("prefs")});
    }
}

TEST(BinaryStreamTest, StreamDroppedWithoutCloseLeavesTheOldFile)
{
    const QString folder = pwtest::ScratchFolder();
    const auto item = FolderItem(folder).Child(QStringLiteral("prefs"));
    writeFile(item->NativePath(), record("the old key 0123456"));
    {
        auto out = BinaryStream::Create(*item);
        out->WritePString(QStringLiteral("a new key abcdefghij"));
    }
    EXPECT_EQ(readAll(item->NativePath()), record("the old key 0123456"));
    EXPECT_EQ(entries(folder), QStringList{QStringLiteral("prefs")});

    const auto fresh = FolderItem(folder).Child(QStringLiteral("never-closed"));
    { auto out = BinaryStream::Create(*fresh); }
    EXPECT_FALSE(fresh->Exists());
    EXPECT_EQ(entries(folder), QStringList{QStringLiteral("prefs")});
}

// More than one length byte can count: refused, with nothing written, the old file intact.
TEST(BinaryStreamTest, StringOverLengthByteIsRefused)
{
    const QString folder = pwtest::ScratchFolder();
    const auto item = FolderItem(folder).Child(QStringLiteral("prefs"));
    writeFile(item->NativePath(), record("the old key 0123456"));
    const QString tooLong[] = {QString(256, u'k'), QString(128, QChar(0xE9))};  // 256 bytes both
    for (const QString& text : tooLong) {
        auto out = BinaryStream::Create(*item);
        const int error = ioErrorOf([&] { out->WritePString(text); });
        EXPECT_TRUE(error == EOVERFLOW || error == EINVAL) << error;
        EXPECT_EQ(out->LastErrorCode(), error);
        // Nothing reached the stream: closing it gives an empty file.
        out->Close();
        EXPECT_EQ(readAll(item->NativePath()), QByteArray());
        writeFile(item->NativePath(), record("the old key 0123456"));

        // And dropped after the error, as an exception through the caller does.
        {
            auto dropped = BinaryStream::Create(*item);
            EXPECT_NE(ioErrorOf([&] { dropped->WritePString(text); }), 0);
        }
        EXPECT_EQ(readAll(item->NativePath()), record("the old key 0123456"));
        EXPECT_EQ(entries(folder), QStringList{QStringLiteral("prefs")});
    }
}

TEST(BinaryStreamTest, CreateFailuresCarryTheErrorNumber)
{
    const QString folder = pwtest::ScratchFolder();
    writeFile(folder + QStringLiteral("/a-file"), "x");
    writeFile(folder + QStringLiteral("/existing"), record("kept"));
    QDir(folder).mkdir(QStringLiteral("a-folder"));
    const struct {
        QString path;
        std::initializer_list<int> errors;
    } cases[] = {
        {folder + QStringLiteral("/missing/prefs"), {ENOENT}},
        {folder + QStringLiteral("/a-file/prefs"), {ENOTDIR}},
        {folder + QStringLiteral("/a-folder"), {EISDIR}},
        // Refused to root as well: a folder of the kernel's ("read-only" in a container).
        {QStringLiteral("/sys/pw-prefs"), {EACCES, EROFS, EPERM}},
    };
    for (const auto& c : cases) {
        const FolderItem item(c.path);
        const int error = ioErrorOf([&] { BinaryStream::Create(item); });
        EXPECT_NE(std::find(c.errors.begin(), c.errors.end(), error), c.errors.end())
            << c.path.toStdString() << ": " << error;
        EXPECT_EQ(item.LastErrorCode(), error) << c.path.toStdString();
    }
    EXPECT_EQ(readAll(folder + QStringLiteral("/existing")), record("kept"));
    EXPECT_EQ(entries(folder), (QStringList{QStringLiteral("a-file"), QStringLiteral("a-folder"),
                                            QStringLiteral("existing")}));
}

// What stops the file from being put in place is reported, and the temporary goes.
TEST(BinaryStreamTest, CloseFailureIsReportedAndLeavesNoTemporary)
{
    const QString folder = pwtest::ScratchFolder();
    const auto item = FolderItem(folder).Child(QStringLiteral("prefs"));

    auto blocked = BinaryStream::Create(*item);
    blocked->WritePString(QStringLiteral("0123456789abcdef"));
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("prefs")));
    const int error = ioErrorOf([&] { blocked->Close(); });
    EXPECT_TRUE(error == EISDIR || error == ENOTEMPTY || error == EEXIST) << error;
    EXPECT_EQ(blocked->LastErrorCode(), error);
    EXPECT_TRUE(platform::test::Directory(*item));
    ASSERT_TRUE(QDir(folder).rmdir(QStringLiteral("prefs")));
    EXPECT_TRUE(entries(folder).isEmpty());
}

TEST(BinaryStreamTest, WriteErrorCarriesTheErrorNumber)
{
    const QString folder = pwtest::ScratchFolder();
    {
        // A file size limit of one byte: the key's write fails part-way, as on a full disk.
        const auto item = FolderItem(folder).Child(QStringLiteral("limited"));
        auto out = BinaryStream::Create(*item);
        struct rlimit old {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const auto restore = qScopeGuard([&] {
            ::setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldHandler);
        });
        struct rlimit tiny = old;
        tiny.rlim_cur = 1;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
        const int error = ioErrorOf([&] { out->WritePString(QStringLiteral("0123456789abcdef")); });
        EXPECT_EQ(error, EFBIG);
        EXPECT_EQ(out->LastErrorCode(), EFBIG);
    }
    EXPECT_TRUE(entries(folder).isEmpty());

    writeFile(folder + QStringLiteral("/prefs"), record("kept"));
    auto readOnly = BinaryStream::Open(FolderItem(folder + QStringLiteral("/prefs")));
    EXPECT_EQ(ioErrorOf([&] { readOnly->WritePString(QStringLiteral("x")); }), EBADF);
    EXPECT_EQ(readAll(folder + QStringLiteral("/prefs")), record("kept"));
}

TEST(BinaryStreamTest, OpenAndReadFailures)
{
    const QString folder = pwtest::ScratchFolder();
    const auto missing = FolderItem(folder).Child(QStringLiteral("missing"));
    EXPECT_EQ(ioErrorOf([&] { BinaryStream::Open(*missing); }), ENOENT);
    EXPECT_EQ(missing->LastErrorCode(), ENOENT);
    const FolderItem inFile(folder + QStringLiteral("/missing/prefs"));
    EXPECT_EQ(ioErrorOf([&] { BinaryStream::Open(inFile); }), ENOENT);
    EXPECT_EQ(inFile.LastErrorCode(), ENOENT);

    // A folder opens, but reading it fails.
    auto stream = BinaryStream::Open(FolderItem(folder));
    EXPECT_EQ(ioErrorOf([&] { stream->ReadPString(); }), EISDIR);
    EXPECT_EQ(stream->LastErrorCode(), EISDIR);
}

TEST(BinaryStreamTest, ReadTakesWhatTheFileHolds)
{
    const struct {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {QByteArray(), QString()},
        {QByteArray(1, '\0'), QString()},
        {QByteArray("\x05" "ab"), QStringLiteral("ab")},              // ends early
        {QByteArray("\x02" "abcdef"), QStringLiteral("ab")},          // the rest is ignored
        {QByteArray("\x03" "a\0b", 4), QString::fromUtf8("a\0b", 3)},
        {record("0123456789abcdef"), QStringLiteral("0123456789abcdef")},
    };
    const QString path = pwtest::ScratchFolder() + QStringLiteral("/prefs");
    for (const auto& c : cases) {
        writeFile(path, c.bytes);
        auto stream = BinaryStream::Open(FolderItem(path));
        EXPECT_EQ(stream->ReadPString(), c.text) << c.bytes.toHex().constData();
    }
}

} // namespace
