#include <gtest/gtest.h>

#include <string>

#include "net/http_util.h"

namespace kivo {
namespace {

struct UrlCase {
  const char* name;
  const char* url;
  const char* current_path;
  TUrlParts expected;
};

class ParseUrlTest : public ::testing::TestWithParam<UrlCase> {};

TEST_P(ParseUrlTest, SplitsAsExpected) {
  TUrlParts got = ParseURL(GetParam().url, GetParam().current_path);
  const TUrlParts& want = GetParam().expected;
  EXPECT_EQ(got.scheme, want.scheme);
  EXPECT_EQ(got.user, want.user);
  EXPECT_EQ(got.password, want.password);
  EXPECT_EQ(got.host, want.host);
  EXPECT_EQ(got.port, want.port);
  EXPECT_EQ(got.path, want.path);
}

// Columns of |expected|: scheme, user, password, host, port, path.
INSTANTIATE_TEST_SUITE_P(
    Rules, ParseUrlTest,
    ::testing::Values(
        UrlCase{"Empty", "", "/a/b", {}},
        UrlCase{"DotSlash", "./x.htm", "/a/b/c.htm", {"", "", "", "", "", "/a/b/x.htm"}},
        UrlCase{"DotSlashWithoutDirectory", "./x", "nodir", {"", "", "", "", "", "/x"}},
        UrlCase{"DotDot", "../x", "/a/b/c.htm", {"", "", "", "", "", "/a/x"}},
        UrlCase{"DotDotTwice", "../../x", "/a/b/c/d", {"", "", "", "", "", "/a/x"}},
        UrlCase{"DotDotPastRoot", "../../../../x", "/a/b", {"", "", "", "", "", "/x"}},
        UrlCase{"Full", "scheme://u:p@host:8080/x?y", "", {"scheme", "u", "p", "host", "8080", "/x?y"}},
        UrlCase{"CameraCommand", "http://10.5.5.9/bacpac/se?t=pw", "",
                {"http", "", "", "10.5.5.9", "", "/bacpac/se?t=pw"}},
        UrlCase{"HostOnly", "http://host", "", {"http", "", "", "host", "", ""}},
        UrlCase{"QueryEndsAuthority", "http://host?q=1", "", {"http", "", "", "host", "", "?q=1"}},
        UrlCase{"UserWithoutPassword", "ftp://joe@host/f", "", {"ftp", "joe", "", "host", "", "/f"}},
        UrlCase{"UserPasswordNoPort", "http://a:b@host/", "", {"http", "a", "b", "host", "", "/"}},
        UrlCase{"SchemeCharacters", "svn+ssh.1-x://h/p", "", {"svn+ssh.1-x", "", "", "h", "", "/p"}},
        UrlCase{"BadSchemeCharacter", "a_b://h/p", "", {"http", "", "", "a_b", "", "//h/p"}},
        UrlCase{"AbsolutePath", "/camera/se", "", {"http", "", "", "", "", "/camera/se"}},
        UrlCase{"HttpColonPath", "http:/x/y", "", {"http", "", "", "", "", "/x/y"}},
        UrlCase{"HttpColonShort", "http:h", "", {"http", "", "", "h", "", ""}},
        UrlCase{"Mailto", "MAILTO:joe@example.com", "", {"mailto", "joe", "", "example.com", "", ""}},
        UrlCase{"NoScheme", "10.5.5.9/bacpac/se", "", {"", "", "", "10.5.5.9", "", "/bacpac/se"}},
        UrlCase{"NoSchemeWithPort", "10.5.5.9:8080/live/", "", {"", "", "", "10.5.5.9", "8080", "/live/"}},
        // Settled here: these give the host a person would expect.
        UrlCase{"NetworkPath", "//host:81/x", "", {"http", "", "", "host", "81", "/x"}},
        UrlCase{"UpperCaseScheme", "HTTP://Host/X", "", {"http", "", "", "Host", "", "/X"}},
        UrlCase{"MixedCaseScheme", "Http://h:8080", "", {"http", "", "", "h", "8080", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

struct TextCase {
  const char* name;
  const char* in;
  const char* out;
};

class UrlEncodeTest : public ::testing::TestWithParam<TextCase> {};
TEST_P(UrlEncodeTest, Encodes) { EXPECT_EQ(UrlEncode(GetParam().in), GetParam().out); }
INSTANTIATE_TEST_SUITE_P(Table, UrlEncodeTest,
                         ::testing::Values(TextCase{"Plain", "abcXYZ019", "abcXYZ019"},
                                           TextCase{"Blank", "a b", "a%20b"},
                                           TextCase{"Slash", "a/b", "a%2Fb"},
                                           TextCase{"Symbols", "-_.~", "%2D%5F%2E%7E"},
                                           TextCase{"HighByte", "\xC3\xA9", "%C3%A9"},
                                           TextCase{"Empty", "", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

class Base64Test : public ::testing::TestWithParam<TextCase> {};
TEST_P(Base64Test, Encodes) { EXPECT_EQ(EncodeBase64(GetParam().in), GetParam().out); }
INSTANTIATE_TEST_SUITE_P(Rfc4648, Base64Test,
                         ::testing::Values(TextCase{"Empty", "", ""}, TextCase{"F", "f", "Zg=="},
                                           TextCase{"Fo", "fo", "Zm8="}, TextCase{"Foo", "foo", "Zm9v"},
                                           TextCase{"Foob", "foob", "Zm9vYg=="},
                                           TextCase{"Fooba", "fooba", "Zm9vYmE="},
                                           TextCase{"Foobar", "foobar", "Zm9vYmFy"},
                                           TextCase{"Credentials", "user:pass", "dXNlcjpwYXNz"},
                                           TextCase{"HighBits", "\xFF\xFE", "//4="}),
                         [](const auto& info) { return std::string(info.param.name); });

struct DateCase {
  const char* name;
  double value;
  const char* text;
};

class Rfc1123Test : public ::testing::TestWithParam<DateCase> {};
TEST_P(Rfc1123Test, Formats) { EXPECT_EQ(RFC1123Date(GetParam().value), GetParam().text); }
INSTANTIATE_TEST_SUITE_P(
    Table, Rfc1123Test,
    ::testing::Values(DateCase{"Epoch", 0.0, "Sat, 30 Dec 1899 00:00:00"},
                      DateCase{"NextDay", 1.0, "Sun, 31 Dec 1899 00:00:00"},
                      DateCase{"NewYear2024", 45292.0, "Mon, 01 Jan 2024 00:00:00"},
                      DateCase{"LeapDayNoon", 45351.5, "Thu, 29 Feb 2024 12:00:00"},
                      DateCase{"TimeOfDay", 36526.0 + (13 * 3600 + 5 * 60 + 9) / 86400.0,
                               "Sat, 01 Jan 2000 13:05:09"},
                      DateCase{"AlmostMidnight", 45292.0 + 86399.9996 / 86400.0, "Tue, 02 Jan 2024 00:00:00"}),
    [](const auto& info) { return std::string(info.param.name); });

class DocNameTest : public ::testing::TestWithParam<TextCase> {};
TEST_P(DocNameTest, Derives) { EXPECT_EQ(DocNameFromPath(GetParam().in), GetParam().out); }
INSTANTIATE_TEST_SUITE_P(Table, DocNameTest,
                         ::testing::Values(TextCase{"Empty", "", "document.htm"},
                                           TextCase{"Root", "/", "document.htm"},
                                           TextCase{"Directory", "/videos/100GOPRO/", "document.htm"},
                                           TextCase{"File", "/videos/100GOPRO/GOPR0001.JPG", "GOPR0001.JPG"},
                                           TextCase{"Query", "/bacpac/se?t=pw", "se"},
                                           TextCase{"QueryAfterSlash", "/dir/?x=1", "document.htm"},
                                           TextCase{"NoSlash", "name.txt", "name.txt"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DocNameTest, LongNamesAreCut) {
  EXPECT_EQ(DocNameFromPath("/" + std::string(300, 'a')), std::string(255, 'a'));
}

class UrlDirectoryTest : public ::testing::TestWithParam<TextCase> {};
TEST_P(UrlDirectoryTest, Cuts) { EXPECT_EQ(UrlDirectory(GetParam().in), GetParam().out); }
INSTANTIATE_TEST_SUITE_P(Table, UrlDirectoryTest,
                         ::testing::Values(TextCase{"Plain", "/a/b/c.htm", "/a/b/"},
                                           TextCase{"SlashInQuery", "/a/b?x=/y", "/a/"},
                                           TextCase{"Colon", "x:y", "x:"},
                                           TextCase{"None", "abc", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kivo
