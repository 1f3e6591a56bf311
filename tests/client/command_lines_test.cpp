// The command lines as exact text, and the default file name.
#include "client/command_lines.h"

#include <gtest/gtest.h>

using namespace commands;

// The lines as they ship, with the shipped limits: 30 s to connect, 60 s without data.
TEST(CommandLines, CarryOrdinaryValuesExactlyAsTyped)
{
    const QString curl = QStringLiteral("curl -s --fail --connect-timeout 30 --speed-limit 1 --speed-time 60");
    const QString take = ": > '/s' && s=$(" + curl + " -o '/s' -w '%{http_code}%{stderr}%{http_code}' ";
    EXPECT_EQ(ProfileList(QStringLiteral("abc-DEF_123.x~y")),
              curl + " -w '%{stderr}%{http_code}' 'http://api.pondwhirl.com/api/profile/list_all?api_key=abc-DEF_123.x~y'");
    EXPECT_EQ(ProfileDetails(QStringLiteral("42"), QStringLiteral("KEY"), QStringLiteral("'/s'")),
              ": > '/s' && s=$(trap '' XFSZ; ulimit -S -f 32768 2>/dev/null; " + curl +
                  " -o '/s' -w '%{http_code}%{stderr}%{http_code}' "
                  "'http://api.pondwhirl.com/api/profile/details?profile_id=42&api_key=KEY') && "
              "[ \"$s\" = 200 ] || exit 100; grep -a '<total_[^>]*>' '/s' || [ $? = 1 ]");
    EXPECT_EQ(Mentions(QStringLiteral("video"), QStringLiteral("title"), QStringLiteral("42"), std::nullopt,
                       QStringLiteral("KEY"), QStringLiteral("'/tmp/o.txt'"), QStringLiteral("'/s'")),
              take + "'http://api.pondwhirl.com/api/video/mentions?profile_id=42&api_key=KEY') && "
              "[ \"$s\" = 200 ] || exit 100; grep -a '<title>' '/s' | sed 's/^[ ]*<title>//' | sed 's/<\\/title>.*//'"
              " >> '/tmp/o.txt' || exit 101");
    EXPECT_EQ(Mentions(QStringLiteral("twitter"), QStringLiteral("message"), QStringLiteral("42"), 2,
                       QStringLiteral("KEY"), QStringLiteral("'/o'"), QStringLiteral("'/s'")),
              take + "'http://api.pondwhirl.com/api/twitter/mentions?profile_id=42&page_number=2&api_key=KEY') && "
              "[ \"$s\" = 200 ] || exit 100; grep -a '<message>' '/s' | sed 's/^[ ]*<message>//'"
              " | sed 's/<\\/message>.*//' >> '/o' || exit 101");
    EXPECT_EQ(Delete(QStringLiteral("'/o'")), "if [ -f '/o' ] || [ -L '/o' ]; then rm -f '/o' || exit 101; fi");
    EXPECT_EQ(CreateEmpty(QStringLiteral("'/o'")), "true >> '/o' || exit 101");
}

TEST(CommandLines, EveryRequestCarriesTheLimitsItIsGiven)
{
    const CurlLimits limits{4, 2};
    const QString curl = QStringLiteral("curl -s --fail --connect-timeout 4 --speed-limit 1 --speed-time 2 ");
    EXPECT_TRUE(ProfileList(QStringLiteral("K"), limits).startsWith(curl));
    EXPECT_TRUE(ProfileDetails(QStringLiteral("1"), QStringLiteral("K"), QStringLiteral("'/s'"), limits)
                    .contains("2>/dev/null; " + curl));
    EXPECT_TRUE(Mentions(QStringLiteral("video"), QStringLiteral("title"), QStringLiteral("1"), 3, QStringLiteral("K"),
                         QStringLiteral("'/o'"), QStringLiteral("'/s'"), limits)
                    .contains("s=$(" + curl));
}

TEST(CommandLines, PercentEncodeEverythingButUnreservedBytes)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"plainKEY0123-._~", "plainKEY0123-._~"},
        {"a'b", "a%27b"},
        {"a b", "a%20b"},
        {"$(touch x);`y`\\\"", "%24%28touch%20x%29%3B%60y%60%5C%22"},
        {"k&api_key=x#frag", "k%26api_key%3Dx%23frag"},
        {"[1-3]{a,b}", "%5B1-3%5D%7Ba%2Cb%7D"},
        {"line\nbreak", "line%0Abreak"},
        {"caf\xc3\xa9", "caf%C3%A9"},
        {"%41", "%2541"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PercentEncode(QString::fromUtf8(c.in)), QString::fromLatin1(c.out)) << c.in;
}

TEST(CommandLines, DefaultFileNameDropsSlashesBlanksAndColonsOnly)
{
    const struct {
        const char* profile;
        const char* platform;
        const char* name;
    } cases[] = {
        {"Acme Corp: EU/North", "Video", "pw_AcmeCorpEUNorthVideo.txt"},
        {" /:/ ", "Website", "pw_Website.txt"},
        {"R&D (west), \"x\"", "Facebook", "pw_R&D(west),\"x\"Facebook.txt"},
        {"", "Microblogging", "pw_Microblogging.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DefaultFileName(QString::fromUtf8(c.profile), QString::fromUtf8(c.platform)),
                  QString::fromUtf8(c.name));
}
