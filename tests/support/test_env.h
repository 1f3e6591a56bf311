#pragma once
// The scripted environment every test, benchmark and end-to-end run uses: the offscreen
// platform, no proxy, a preferences folder of its own and a curl configuration that can
// reach only 127.0.0.1. Defined here once; the test main gives each test a fresh one.
#include "support/printers.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>
#include <sys/types.h>

class QTemporaryDir;

namespace pwtest {

// This test's folders (the test main makes fresh ones before each test).
QString PreferencesFolder();   // $XDG_CONFIG_HOME
QString CurlHome();            // $CURL_HOME; FakeService::writeCurlConfig(CurlHome()) aims curl at a fake service
QString ScratchFolder();       // a fresh folder for output files and canaries

// The name of the preferences file in the preferences folder, as the program names it.
QString PrefsFileName();
// The preferences file's bytes for key, as the program writes them: a length byte, then
// the key's bytes.
QByteArray PrefsRecord(const QByteArray& key);

// The .curlrc line that sends every request, whatever its host, to 127.0.0.1:port. Quoted,
// or curl's configuration parser drops the leading "::" and ignores the line.
QByteArray CurlConfig(std::uint16_t port);
// A port nothing listens on: requests made before a test starts a fake service fail fast.
inline constexpr std::uint16_t kClosedPort = 9;
// Writes <dir>/.curlrc with CurlConfig(port), making dir; false when it cannot.
bool WriteCurlConfig(const QString& dir, std::uint16_t port);

// A run with no quit pending: neither the runtime's flag nor Qt's own. A quit leaves Qt's
// set, and every new event loop (a modal dialog's too) then returns at once until the
// application's own loop has run. The test main calls it before each test; a test that
// quits and goes on calls it too.
void ResumeAfterQuit(int argc = 0, char** argv = nullptr);

// Sets the variables of a headless, loopback-only run: QT_QPA_PLATFORM=offscreen and no
// proxy variables. Before the Qt application object exists.
void SetHeadlessLoopbackVariables();

// Puts back, when it goes, every environment variable it saw changed, added or removed.
class EnvironmentGuard {
public:
    EnvironmentGuard();
    ~EnvironmentGuard();
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    std::map<QByteArray, QByteArray> saved_;
};

// Sets the umask for its lifetime and puts back the one it found.
class UmaskGuard {
public:
    explicit UmaskGuard(mode_t mask);
    ~UmaskGuard();
    UmaskGuard(const UmaskGuard&) = delete;
    UmaskGuard& operator=(const UmaskGuard&) = delete;

private:
    mode_t old_;
};

// Fresh folders under a temporary root, made the process's: HOME, XDG_CONFIG_HOME
// (empty), CURL_HOME (a .curlrc aimed at kClosedPort), XDG_RUNTIME_DIR and a scratch
// folder. Every
// variable it sets is put back when it goes.
class ScriptedFolders {
public:
    // Under a temporary folder of its own, or under parent when given.
    explicit ScriptedFolders(const QString& parent = QString());
    ~ScriptedFolders();
    ScriptedFolders(const ScriptedFolders&) = delete;
    ScriptedFolders& operator=(const ScriptedFolders&) = delete;

    QString root() const { return root_; }
    QString home() const;
    QString preferences() const;
    QString curlHome() const;
    QString scratch() const;
    QString runtime() const;
    QString prefsFile() const { return preferences() + u'/' + PrefsFileName(); }
    // Stores key in the preferences file as the program does; false when it cannot.
    bool storeKey(const QByteArray& key) const;

private:
    std::unique_ptr<QTemporaryDir> own_;
    QString root_;
    EnvironmentGuard environment_;
};

// The values of TMPDIR the scratch folder must cope with, each with the folder it is then
// made in (empty: none can be made, and no other folder may be used instead). What they
// name is made in ScratchFolder(); the read-only folder is writable again when the table
// goes. Run each under an EnvironmentGuard.
class TmpdirTable {
public:
    struct Case {
        const char* label;
        std::optional<QString> tmpdir;   // nullopt: unset
        QString madeIn;
    };
    TmpdirTable();
    ~TmpdirTable();
    TmpdirTable(const TmpdirTable&) = delete;
    TmpdirTable& operator=(const TmpdirTable&) = delete;

    // Whether what the cases name could be made.
    bool ready() const { return ready_; }
    const std::vector<Case>& cases() const { return cases_; }
    // Sets TMPDIR as the case has it.
    static void Apply(const Case& c);
    // Scratch folders at the root of the file system, where none may ever be made.
    static QStringList FoldersAtRoot();

private:
    QString readOnly_;
    bool ready_ = false;
    std::vector<Case> cases_;
};

// Runs hook after each test, once the runtime is shut down: for state of a test
// executable's own that the shared test main cannot know of. Call before the tests run
// (e.g. from a static initialiser).
void AtEachTestEnd(std::function<void()> hook);

namespace detail {
void RunTestEndHooks();
// The folders ScratchFolder makes its folders in; the test main sets it for each test.
void SetScratchRoot(const QString& folder);
} // namespace detail

} // namespace pwtest
