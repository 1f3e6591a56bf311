// Every test process: the offscreen platform, a curl that can reach only 127.0.0.1, a Qt
// application object, and for each test a fresh start: its own empty preferences folder,
// curl configuration and scratch folders, a fresh runtime with no quit pending, and
// afterwards the process put back as the test found it (environment, umask, application
// name, open windows).
#include "support/test_env.h"

#include "platform/runtime.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sys/stat.h>

namespace {

class FreshStatePerTest : public ::testing::EmptyTestEventListener {
public:
    FreshStatePerTest(const QString& root, int argc, char** argv) : root_(root), argc_(argc), argv_(argv) {}

    void OnTestStart(const ::testing::TestInfo&) override
    {
        const QString folder = root_ + QStringLiteral("/test-%1").arg(++count_);
        QDir().mkpath(folder);
        umask_ = ::umask(0);
        ::umask(umask_);
        applicationName_ = QCoreApplication::applicationName();
        folders_ = std::make_unique<pwtest::ScriptedFolders>(folder);
        pwtest::detail::SetScratchRoot(folders_->scratch());
        // Whatever an earlier test left pending.
        pwtest::ResumeAfterQuit(argc_, argv_);
    }

    void OnTestEnd(const ::testing::TestInfo& test) override
    {
        // Windows a test left open, the application object of its run; then the
        // program's own objects (the test executable's hooks).
        platform::RuntimeExit();
        pwtest::detail::RunTestEndHooks();
        folders_.reset();
        QDir(root_ + QStringLiteral("/test-%1").arg(count_)).removeRecursively();
        const mode_t now = ::umask(umask_);
        if (now != umask_)
            std::fprintf(stderr, "note: %s.%s left the umask at %03o; put back to %03o\n", test.test_suite_name(),
                         test.name(), unsigned(now), unsigned(umask_));
        QCoreApplication::setApplicationName(applicationName_);
    }

private:
    QString root_;
    int argc_;
    char** argv_;
    int count_ = 0;
    mode_t umask_ = 022;
    QString applicationName_;
    std::unique_ptr<pwtest::ScriptedFolders> folders_;
};

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    pwtest::SetHeadlessLoopbackVariables();

    QTemporaryDir root;
    // Outside any test (environments, listing), the process has folders of its own too.
    pwtest::ScriptedFolders processFolders(root.filePath(QStringLiteral("process")));
    pwtest::detail::SetScratchRoot(processFolders.scratch());

    platform::RuntimeInit(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pondwhirl-downloader"));

    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshStatePerTest(root.path(), argc, argv));
    const int result = RUN_ALL_TESTS();
    pwtest::detail::SetScratchRoot(QString());
    return result;
}
