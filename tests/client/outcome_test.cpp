// What became of a request: the rule on finished lines, and the real lines against the
// fake service, each judged by that rule.
#include "client/command_lines.h"
#include "client/outcome.h"
#include "client/run_line.h"

#include "support/fake_service.h"
#include "support/test_env.h"

#include "platform/files.h"
#include "platform/shell.h"
#include "platform/testing.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <ostream>

using commands::FinishedLine;
using commands::Outcome;
using namespace pwtest;

namespace commands {
void PrintTo(Outcome outcome, std::ostream* os)
{
    const char* names[] = {"Answered", "Refused", "Unreachable", "NotWritten", "Ended"};
    *os << names[static_cast<int>(outcome)];
}
} // namespace commands

TEST(LineOutcome, ReadsTheExitCodeTheReportedStatusAndHowTheRunnerLeftTheLine)
{
    const struct {
        const char* label;
        FinishedLine line;
        Outcome outcome;
    } cases[] = {
        {"ran to its end", {0, "200"}, Outcome::Answered},
        {"list, a 3xx taken by curl", {0, "302"}, Outcome::Answered},
        {"a line without a request", {0, ""}, Outcome::Answered},
        {"list refused 401", {22, "401"}, Outcome::Refused},
        {"list refused 400", {22, "400"}, Outcome::Refused},
        {"list refused 499", {22, "499"}, Outcome::Refused},
        {"list 500", {22, "500"}, Outcome::Unreachable},
        {"list 503", {22, "503"}, Outcome::Unreachable},
        {"list, no connection", {7, "000"}, Outcome::Unreachable},
        {"list, stalled after the headers", {28, "200"}, Outcome::Unreachable},
        {"list, cut short", {18, "200"}, Outcome::Unreachable},
        {"kept answer refused", {commands::kRequestFailed, "403"}, Outcome::Refused},
        {"kept answer refused, more on stderr", {commands::kRequestFailed, "404grep: x\n"}, Outcome::Refused},
        {"kept answer 302", {commands::kRequestFailed, "302"}, Outcome::Unreachable},
        {"kept answer 204", {commands::kRequestFailed, "204"}, Outcome::Unreachable},
        {"kept answer, no connection", {commands::kRequestFailed, "000"}, Outcome::Unreachable},
        {"scratch file not made", {commands::kRequestFailed, "sh: 1: cannot create /s: No such file\n"},
         Outcome::Unreachable},
        {"curl missing", {127, "sh: 1: curl: not found\n"}, Outcome::Unreachable},
        {"a status of two digits", {22, "40"}, Outcome::Unreachable},
        {"shell did not start", {-1, ""}, Outcome::Unreachable},
        {"file not written", {commands::kNotWritten, "200sh: 1: cannot create /o: Permission denied\n"},
         Outcome::NotWritten},
        {"file not written, no request", {commands::kNotWritten, ""}, Outcome::NotWritten},
        {"ended by a quit", {-1, "", true}, Outcome::Ended},
        {"finished as the quit came", {0, "200", true}, Outcome::Ended},
        {"not started for a quit", {-1, "", true}, Outcome::Ended},
        {"cut at the bound", {-1, "", false, true}, Outcome::Unreachable},
        {"cut as it finished", {0, "200", false, true}, Outcome::Unreachable},
        {"cut and quit", {-1, "", true, true}, Outcome::Ended},
    };
    for (const auto& c : cases)
        EXPECT_EQ(commands::LineOutcome(c.line), c.outcome) << c.label;
}

namespace {

// The lines as the program builds them, run by the real runner against the fake service.
class RealLines : public ::testing::Test {
protected:
    void SetUp() override { service.writeCurlConfig(CurlHome()); }

    // Read into memory, as the program reads them.
    Outcome list() { return client::RunReading(shell, commands::ProfileList(kKey, kLimits)); }
    Outcome details(const QString& before = QString())
    {
        return client::RunReading(
            shell, before + commands::ProfileDetails(QStringLiteral("7"), kKey, scratch(), kLimits));
    }
    Outcome page(const QString& output)
    {
        return client::Run(shell, commands::Mentions(QStringLiteral("twitter"), QStringLiteral("message"),
                                                     QStringLiteral("7"), std::nullopt, kKey,
                                                     platform::FolderItem(output).ShellPath(), scratch(), kLimits));
    }
    QString scratch()
    {
        const QString path = shell.ScratchShellPath();
        EXPECT_FALSE(path.isEmpty());
        return path;
    }
    qint64 scratchSize()
    {
        const QString quoted = scratch();
        return QFileInfo(quoted.mid(1, quoted.size() - 2)).size();
    }

    const QString kKey = QStringLiteral("0123456789abcdefKEY");
    const commands::CurlLimits kLimits{5, 1};
    FakeService service;
    platform::Shell shell;
};

} // namespace

TEST_F(RealLines, EveryRequestLineReportsAsTheRuleReads)
{
    const QByteArray mentions = MentionsPageXml(QStringLiteral("twitter"), QStringLiteral("message"), 0, 3);
    const struct {
        const char* label;
        Answer answer;
        Outcome list, details, page;
    } cases[] = {
        {"200", Answer{200, mentions}, Outcome::Answered, Outcome::Answered, Outcome::Answered},
        {"401", Answer{401, "<error/>"}, Outcome::Refused, Outcome::Refused, Outcome::Refused},
        {"404", Answer{404, {}}, Outcome::Refused, Outcome::Refused, Outcome::Refused},
        {"500", Answer{500, "<error/>"}, Outcome::Unreachable, Outcome::Unreachable, Outcome::Unreachable},
        // curl takes a 3xx or a 204 without a body; only the list leaves its judgement to
        // the reader of the answer.
        {"302", Answer{302, {}}, Outcome::Answered, Outcome::Unreachable, Outcome::Unreachable},
        {"204", Answer{204, {}}, Outcome::Answered, Outcome::Unreachable, Outcome::Unreachable},
        {"closed", Answer{200, {}, Answer::Mode::Close}, Outcome::Unreachable, Outcome::Unreachable,
         Outcome::Unreachable},
        {"cut short", Answer{200, mentions, Answer::Mode::CutMidBody}, Outcome::Unreachable, Outcome::Unreachable,
         Outcome::Unreachable},
    };
    const QString output = ScratchFolder() + QStringLiteral("/out.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        service.answerAll(c.answer);
        EXPECT_EQ(list(), c.list);
        EXPECT_EQ(details(), c.details);
        QFile::remove(output);
        EXPECT_EQ(page(output), c.page);
        // A failed request appends nothing.
        if (c.page != Outcome::Answered) {
            EXPECT_FALSE(QFile::exists(output));
        }
    }
}

// Whatever bytes a page holds, its line appends the text of each line holding the tag:
// blanks before the tag and everything from the closing tag on cut, each ended by a line
// end, every other byte as it came.
TEST_F(RealLines, APageAppendsTheTextOfEachLineHoldingTheTag)
{
    using namespace Qt::StringLiterals;
    const QByteArray longText(1 << 20, 'x');
    const struct {
        const char* label;
        QByteArray page;
        QByteArray lines;
    } cases[] = {
        {"tag on the last line, no line end", "x\n  <message>last</message>"_qba, "last\n"_qba},
        {"a bare tag ends the page", "<message>"_qba, "\n"_qba},
        {"NUL bytes", "<message>a \0 b</message>\n\0<other>\0</other>\n"_qba, "a \0 b\n"_qba},
        {"invalid UTF-8", "<message>caf\xc3\xa9 \xff\xfe</message>\xff tail\n\xff<message>lead</message>\n"_qba,
         "caf\xc3\xa9 \xff\xfe\n\xff<message>lead\n"_qba},
        {"CRLF", "<message>one</message>\r\n<message>two\r\n"_qba, "one\ntwo\r\n"_qba},
        {"spaces cut, a tab kept", "   <message>a</message>\n\t<message>b</message>\n"_qba, "a\n\t<message>b\n"_qba},
        {"several tags on a line", "  <message>first</message><message>second</message>\n"_qba, "first\n"_qba},
        {"other tags only", "<title>t</title>\n<site_title>s</site_title>\n< message>m</message>\n"_qba, ""_qba},
        {"empty page", ""_qba, ""_qba},
        {"a long line", "<message>"_qba + longText + "</message>\n"_qba, longText + "\n"_qba},
    };
    const QString output = ScratchFolder() + QStringLiteral("/out.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QFile file(output);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("before\n");
        file.close();
        service.answerAll(Answer{200, c.page});
        EXPECT_EQ(page(output), Outcome::Answered);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), "before\n"_qba + c.lines);
    }
}

TEST_F(RealLines, ADetailsAnswerWithoutATotalIsStillAnAnswer)
{
    service.answerAll(Answer{200, DetailsXmlWithoutTotal(QStringLiteral("7"), QStringLiteral("Acme"))});
    EXPECT_EQ(details(), Outcome::Answered);
    EXPECT_EQ(platform::test::ResultBytes(shell), QByteArray());
}

TEST_F(RealLines, LinesThatCannotWriteTheOutputFileSaySo)
{
    service.answerAll(Answer{200, MentionsPageXml(QStringLiteral("twitter"), QStringLiteral("message"), 0, 3)});
    const QString missing = ScratchFolder() + QStringLiteral("/no/such/folder/out.txt");
    EXPECT_EQ(page(missing), Outcome::NotWritten);
    EXPECT_EQ(client::Run(shell, commands::CreateEmpty(platform::FolderItem(missing).ShellPath())),
              Outcome::NotWritten);
    // A file no one may remove, root included.
    EXPECT_EQ(client::Run(shell, commands::Delete(platform::FolderItem(QStringLiteral("/proc/version")).ShellPath())),
              Outcome::NotWritten);
    const QString absent = ScratchFolder() + QStringLiteral("/absent.txt");
    EXPECT_EQ(client::Run(shell, commands::Delete(platform::FolderItem(absent).ShellPath())), Outcome::Answered);
}

TEST_F(RealLines, AnAnswerThatNeverEndsStopsAtTheBound)
{
    service.answerAll(Answer{200, ProfileListXml({{QStringLiteral("1"), QStringLiteral("A"), 0}}),
                             Answer::Mode::Endless});
    EXPECT_EQ(list(), Outcome::Unreachable);
    EXPECT_TRUE(shell.OutputCut());
    EXPECT_EQ(platform::test::ResultBytes(shell).size(), commands::kAnswerBound + 1);

    // The details answer is kept in the scratch file first: bounded there.
    service.answerAll(Answer{200, DetailsXml(250), Answer::Mode::Endless});
    EXPECT_EQ(details(), Outcome::Unreachable);
    EXPECT_EQ(scratchSize(), commands::kAnswerBound);
}

// A hard file-size limit below the bound, as a user (or a test) may have set: the line
// cannot raise it and runs on under it.
TEST_F(RealLines, TheDetailsLineRunsUnderALowerFileSizeLimit)
{
    const QString lowerLimit = QStringLiteral("ulimit -f 2048; ");   // 1 MiB, soft and hard
    service.answerAll(Answer{200, DetailsXml(250)});
    EXPECT_EQ(details(lowerLimit), Outcome::Answered);
    EXPECT_TRUE(shell.Result().contains(QStringLiteral("<total_mentions>250</total_mentions>")));

    service.answerAll(Answer{200, DetailsXml(250), Answer::Mode::Endless});
    EXPECT_EQ(details(lowerLimit), Outcome::Unreachable);
    EXPECT_EQ(scratchSize(), 2048 * 512);
}
