#include "support/test_env.h"

#include "platform/runtime.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace pwtest {

void ResumeAfterQuit(int argc, char** argv)
{
    platform::RuntimeInit(argc, argv);
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

namespace {

QString& scratchRoot()
{
    static QString root;
    return root;
}

std::vector<std::function<void()>>& testEndHooks()
{
    static std::vector<std::function<void()>> hooks;
    return hooks;
}

} // namespace

void AtEachTestEnd(std::function<void()> hook) { testEndHooks().push_back(std::move(hook)); }

void detail::RunTestEndHooks()
{
    for (const auto& hook : testEndHooks())
        hook();
}

QString PreferencesFolder() { return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")); }
QString CurlHome() { return QString::fromLocal8Bit(qgetenv("CURL_HOME")); }

QString ScratchFolder()
{
    // A process without a test main (a benchmark) gets a root that lives as long as it.
    if (scratchRoot().isEmpty()) {
        static QTemporaryDir fallback;
        scratchRoot() = fallback.path();
    }
    for (int n = 1;; ++n) {
        const QString path = scratchRoot() + QStringLiteral("/scratch-%1").arg(n);
        if (!QFileInfo::exists(path) && QDir().mkpath(path))
            return path;
    }
}

void detail::SetScratchRoot(const QString& folder) { scratchRoot() = folder; }

QString PrefsFileName() { return QStringLiteral("Pondwhirl Downloader Prefs"); }

QByteArray PrefsRecord(const QByteArray& key) { return QByteArray(1, static_cast<char>(key.size())) + key; }

QByteArray CurlConfig(std::uint16_t port) { return "connect-to = \"::127.0.0.1:" + QByteArray::number(port) + "\"\n"; }

bool WriteCurlConfig(const QString& dir, std::uint16_t port)
{
    QDir().mkpath(dir);
    QFile rc(dir + QStringLiteral("/.curlrc"));
    const QByteArray line = CurlConfig(port);
    return rc.open(QIODevice::WriteOnly | QIODevice::Truncate) && rc.write(line) == line.size() && rc.flush();
}

void SetHeadlessLoopbackVariables()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The network stays on 127.0.0.1: no proxy may take a request elsewhere.
    for (const char* var : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "all_proxy",
                            "no_proxy", "NO_PROXY", "ftp_proxy", "FTP_PROXY"})
        qunsetenv(var);
}

EnvironmentGuard::EnvironmentGuard()
{
    for (char** e = environ; e && *e; ++e) {
        const QByteArray entry(*e);
        const qsizetype eq = entry.indexOf('=');
        if (eq > 0)
            saved_.emplace(entry.left(eq), entry.mid(eq + 1));
    }
}

EnvironmentGuard::~EnvironmentGuard()
{
    std::vector<QByteArray> added;
    for (char** e = environ; e && *e; ++e) {
        const QByteArray entry(*e);
        const qsizetype eq = entry.indexOf('=');
        if (eq > 0 && !saved_.count(entry.left(eq)))
            added.push_back(entry.left(eq));
    }
    for (const QByteArray& name : added)
        ::unsetenv(name.constData());
    for (const auto& [name, value] : saved_)
        if (qgetenv(name.constData()) != value || !qEnvironmentVariableIsSet(name.constData()))
            ::setenv(name.constData(), value.constData(), 1);
}

UmaskGuard::UmaskGuard(mode_t mask) : old_(::umask(mask)) {}

UmaskGuard::~UmaskGuard() { ::umask(old_); }

ScriptedFolders::ScriptedFolders(const QString& parent)
{
    if (parent.isEmpty()) {
        own_ = std::make_unique<QTemporaryDir>();
        if (!own_->isValid())
            throw std::runtime_error("cannot make a temporary folder");
        root_ = own_->path();
    } else {
        root_ = parent;
    }
    for (const QString& folder : {home(), preferences(), curlHome(), scratch(), runtime()})
        if (!QDir().mkpath(folder))
            throw std::runtime_error("cannot make " + folder.toStdString());
    // Qt wants the runtime folder owner-only, and says so on every start when there is none.
    ::chmod(QFile::encodeName(runtime()).constData(), 0700);
    if (!WriteCurlConfig(curlHome(), kClosedPort))
        throw std::runtime_error("cannot write a .curlrc in " + curlHome().toStdString());
    qputenv("HOME", home().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", preferences().toLocal8Bit());
    qputenv("CURL_HOME", curlHome().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtime().toLocal8Bit());
}

ScriptedFolders::~ScriptedFolders() = default;

QString ScriptedFolders::home() const { return root_ + QStringLiteral("/home"); }
QString ScriptedFolders::preferences() const { return root_ + QStringLiteral("/config"); }
QString ScriptedFolders::curlHome() const { return root_ + QStringLiteral("/curl"); }
QString ScriptedFolders::scratch() const { return root_ + QStringLiteral("/scratch"); }
QString ScriptedFolders::runtime() const { return root_ + QStringLiteral("/runtime"); }

bool ScriptedFolders::storeKey(const QByteArray& key) const
{
    QFile file(prefsFile());
    const QByteArray bytes = PrefsRecord(key);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

TmpdirTable::TmpdirTable()
{
    const QString folder = ScratchFolder();
    const QString file = folder + QStringLiteral("/a-file");
    readOnly_ = folder + QStringLiteral("/read-only");
    ready_ = QFile(file).open(QIODevice::WriteOnly) && QDir().mkdir(readOnly_) &&
             ::chmod(QFile::encodeName(readOnly_).constData(), 0555) == 0;
    cases_ = {
        {"a folder", folder, folder},
        {"unset", std::nullopt, QStringLiteral("/tmp")},
        {"empty", QString(), QStringLiteral("/tmp")},
        {"a regular file", file, QString()},
        {"a folder that does not exist", folder + QStringLiteral("/missing"), QString()},
        {"a folder no one can make folders in", QStringLiteral("/proc"), QString()},
    };
    // Permissions do not stop root.
    if (::geteuid() != 0)
        cases_.push_back({"a folder that cannot be written", readOnly_, QString()});
}

TmpdirTable::~TmpdirTable() { ::chmod(QFile::encodeName(readOnly_).constData(), 0755); }

void TmpdirTable::Apply(const Case& c)
{
    if (c.tmpdir)
        qputenv("TMPDIR", QFile::encodeName(*c.tmpdir));
    else
        qunsetenv("TMPDIR");
}

QStringList TmpdirTable::FoldersAtRoot()
{
    return QDir(QStringLiteral("/")).entryList({QStringLiteral("shell-*")}, QDir::Dirs | QDir::Hidden | QDir::System);
}

} // namespace pwtest
