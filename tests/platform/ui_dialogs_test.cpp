// The message box, beep and save dialog as the user meets them.
#include "support/scripted_dialogs.h"
#include "support/test_env.h"

#include "platform/dialogs.h"
#include "platform/runtime.h"

#include <QApplication>
#include <QMessageBox>
#include <QScopeGuard>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Shows one real message box and reads it while it is up; dismisses it at once.
struct ShownBox {
    bool seen = false;
    QString title, text;
};

ShownBox showMessage(const QString& text)
{
    ShownBox shown;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shown.seen = true;
        shown.title = box->windowTitle();
        shown.text = box->text();
        box->done(QMessageBox::Ok);
    });
    poll.start();
    platform::MsgBox(text);
    return shown;
}

} // namespace

TEST(MessageBox, IsTitledWithTheApplicationsDisplayName)
{
    const QString saved = QApplication::applicationDisplayName();
    const auto restore = qScopeGuard([&] { QApplication::setApplicationDisplayName(saved); });
    QApplication::setApplicationDisplayName(QStringLiteral("Some Display Name"));

    const ShownBox shown = showMessage(QStringLiteral("Done!"));
    ASSERT_TRUE(shown.seen);
    EXPECT_EQ(shown.title, QStringLiteral("Some Display Name"));
    EXPECT_EQ(shown.text, QStringLiteral("Done!"));
}

// After a quit the user sees nothing more: the seam is not even asked.
TEST(DialogsAfterQuit, ShowNothingAndTheSaveDialogCountsAsCancelled)
{
    pwtest::ScriptedDialogs dialogs;
    const auto restore = qScopeGuard([] { pwtest::ResumeAfterQuit(); });
    auto showAll = [&] {
        platform::MsgBox(QStringLiteral("Done!"));
        platform::Beep();
        dialogs.saveAnswers.push_back(QStringLiteral("/tmp/chosen.txt"));
        return platform::GetSaveFolderItem(QStringLiteral("text/any"), QStringLiteral("out.txt"));
    };

    // Before the quit each reaches the seam.
    EXPECT_NE(showAll(), nullptr);
    EXPECT_EQ(dialogs.messages, std::vector<QString>{QStringLiteral("Done!")});
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_EQ(dialogs.saveDefaultNames.size(), 1u);

    platform::Quit();
    EXPECT_EQ(showAll(), nullptr);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_EQ(dialogs.saveDefaultNames.size(), 1u);
}
