#include "platform/input_hold_scope.h"

#include "platform/runtime.h"
#include "platform/shell.h"

#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <functional>
#include <stdexcept>

using platform::InputHoldScope;

namespace {

void postKeys(QWidget& widget, const QString& text)
{
    for (const QChar c : text)
        QCoreApplication::postEvent(&widget, new QKeyEvent(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier,
                                                           QString(c)));
}

// Runs a line during which text is typed into widget; the line ends once the keys have
// come in, after afterKeys has run.
void runLineTyping(QWidget& widget, const QString& text, std::function<void()> afterKeys = {})
{
    const QString marker = QDir(pwtest::ScratchFolder()).filePath(QStringLiteral("typed"));
    QTimer::singleShot(0, &widget, [&widget, text, marker, afterKeys] {
        postKeys(widget, text);
        // Posted after the keys, so it runs once they have been dealt with.
        QMetaObject::invokeMethod(&widget,
                                  [marker, afterKeys] {
                                      if (afterKeys)
                                          afterKeys();
                                      QFile(marker).open(QIODevice::WriteOnly);
                                  },
                                  Qt::QueuedConnection);
    });
    platform::Shell shell;
    shell.Execute(QStringLiteral("for i in $(seq 400); do [ -e '%1' ] && break; sleep 0.05; done; rm -f '%1'")
                      .arg(marker));
}

class InputHoldScopeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        field.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&field));
    }
    // What reaches the field once every posted event has been delivered.
    QString delivered()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return field.text();
    }

    QLineEdit field;
};

TEST_F(InputHoldScopeTest, LinesKeepTheirInputUntilTheOutermostScopeEndsByAnExceptionToo)
{
    {
        const InputHoldScope outer;
        runLineTyping(field, QStringLiteral("a"));
        EXPECT_EQ(delivered(), QString());
        try {
            const InputHoldScope inner;
            runLineTyping(field, QStringLiteral("b"));
            throw std::runtime_error("left early");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(delivered(), QString());   // the inner scope delivers nothing
        runLineTyping(field, QStringLiteral("c"));
        EXPECT_EQ(delivered(), QString());
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return field.text() == QStringLiteral("abc"); }, 5000))
        << field.text().toStdString();

    try {
        const InputHoldScope only;
        runLineTyping(field, QStringLiteral("d"));
        throw std::runtime_error("left early");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return field.text() == QStringLiteral("abcd"); }, 5000))
        << field.text().toStdString();
}

// Between lines, input waits only behind input kept before it; a modal dialog takes its
// own input all the same.
TEST_F(InputHoldScopeTest, BetweenLinesInputWaitsBehindKeptInputButAModalDialogTakesItsOwn)
{
    {
        const InputHoldScope scope;
        postKeys(field, QStringLiteral("a"));
        EXPECT_EQ(delivered(), QStringLiteral("a"));   // nothing kept yet
        runLineTyping(field, QStringLiteral("b"));
        postKeys(field, QStringLiteral("c"));
        EXPECT_EQ(delivered(), QStringLiteral("a"));

        QDialog dialog;
        auto* own = new QLineEdit(&dialog);
        dialog.setModal(true);
        QTimer::singleShot(0, &dialog, [&] {
            QTest::keyClicks(own, QStringLiteral("m"));
            dialog.accept();
        });
        dialog.exec();
        EXPECT_EQ(own->text(), QStringLiteral("m"));
        EXPECT_EQ(delivered(), QStringLiteral("a"));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return field.text() == QStringLiteral("abc"); }, 5000))
        << field.text().toStdString();
}

TEST_F(InputHoldScopeTest, AfterAQuitNothingKeptIsDelivered)
{
    const auto resume = qScopeGuard([] { pwtest::ResumeAfterQuit(); });
    {
        const InputHoldScope scope;
        runLineTyping(field, QStringLiteral("a"));
        platform::Quit();
    }
    QTest::qWait(100);
    EXPECT_EQ(field.text(), QString());

    // Without a scope: what one line held is dropped when quit was asked for during it.
    pwtest::ResumeAfterQuit();
    runLineTyping(field, QStringLiteral("b"), [] { platform::Quit(); });
    QTest::qWait(100);
    EXPECT_EQ(field.text(), QString());
}

} // namespace
