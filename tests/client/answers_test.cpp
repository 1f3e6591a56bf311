// The readers of the service's answers, as plain tables: no program, no service.
#include "client/answers.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace answers;

namespace {

QByteArray details(const QByteArray& totalText)
{
    return "<?xml version=\"1.0\"?>\n<profile>\n  <total_mentions>" + totalText +
           "</total_mentions>\n  <total_twitter>40</total_twitter>\n</profile>\n";
}

} // namespace

TEST(MentionsTotal, CountsOnlyWhenTheFirstTotalBeginsWithANumber)
{
    const struct {
        const char* label;
        QByteArray answer;
        std::optional<std::int32_t> total;
    } cases[] = {
        {"letters", details("abc"), std::nullopt},
        {"empty", details(""), std::nullopt},
        {"blanks", details("  "), std::nullopt},
        {"sign only", details("-"), std::nullopt},
        {"number then letters", details("250abc"), 250},
        {"number in blanks", details(" 250 "), 250},
        {"zero", details("0"), 0},
        {"negative", details("-5"), -5},
        {"a fraction is cut", details("99.9"), 99},
        {"past the 32-bit range", details("1e12"), 2147483647},
        {"no total element", "<profile><id>7</id><name>A</name></profile>", std::nullopt},
        {"the empty answer", "", std::nullopt},
        {"the first total wins, whatever its platform",
         "<total_video>3</total_video><total_mentions>9</total_mentions>", 3},
        {"an element named total_ with attributes", "<total_mentions kind=\"all\">12</total_mentions>", 12},
        {"a total left open", "<total_mentions>17", 17},
        {"grep's lines, one a line", "  <total_mentions>250</total_mentions>\n  <total_twitter>63</total_twitter>\n",
         250},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MentionsTotal(QString::fromUtf8(c.answer)), c.total) << c.label;
}

TEST(ProfileFields, GivesEachFieldsNameAndIdInOrder)
{
    const struct {
        const char* label;
        const char* answer;
        QStringList names;   // one a field, the header first
        QStringList ids;
    } cases[] = {
        {"the empty answer", "", {}, {}},
        {"no profile: the header alone", "<error>bad key</error>", {""}, {""}},
        {"header and two profiles",
         "<?xml version=\"1.0\"?><profiles><profile><id>7</id><name>A</name></profile>"
         "<profile><id>9</id><name>B</name></profile></profiles>",
         {"", "A", "B"}, {"", "7", "9"}},
        {"an empty name", "<r><profile><id>2</id><name></name></profile></r>", {"", ""}, {"", "2"}},
        {"a missing id", "<r><profile><name>A</name></profile></r>", {"", "A"}, {"", ""}},
        {"blanks and line breaks kept", "<profile><id> 5 </id><name>\n  Spaced \n</name>", {"", "\n  Spaced \n"},
         {"", " 5 "}},
        {"the first name wins", "<profile><name>First</name><id>1</id><name>Second</name>", {"", "First"}, {"", "1"}},
        {"a name in the header", "<name>Header</name><id>0</id><profile><name>P</name>", {"Header", "P"}, {"0", ""}},
        {"a close tag missing", "<profile><name>Open", {"", "Open"}, {"", ""}},
        {"an answer that ends in <profile>", "<r><profile>", {"", ""}, {"", ""}},
        {"references not decoded", "<profile><name>R&amp;D</name>", {"", "R&amp;D"}, {"", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QStringList names, ids;
        for (const ProfileField& field : ProfileFields(QString::fromUtf8(c.answer))) {
            names << field.name;
            ids << field.id;
        }
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(ids, c.ids);
    }
}

TEST(ListsAProfile, OnlyAnAnswerHoldingAProfileTag)
{
    EXPECT_TRUE(ListsAProfile(QStringLiteral("<profiles><profile><id>1</id></profile></profiles>")));
    EXPECT_TRUE(ListsAProfile(QStringLiteral("<profile>")));
    EXPECT_FALSE(ListsAProfile(QString()));
    EXPECT_FALSE(ListsAProfile(QStringLiteral("<error><name>bad key</name></error>")));
    EXPECT_FALSE(ListsAProfile(QStringLiteral("<profiles></profiles>")));
    EXPECT_FALSE(ListsAProfile(QStringLiteral("<Profile>")));
}
