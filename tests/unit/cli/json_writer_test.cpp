#include "cli/json_writer.h"

#include <gtest/gtest.h>

namespace kivo {
namespace {

struct QuoteCase {
  const char* name;
  std::string in;
  const char* out;
};

TEST(JsonWriterTest, QuoteEscapesAndReplacesWhatIsNotUtf8) {
  const QuoteCase kCases[] = {
      {"plain", "GOPR0001.JPG", "\"GOPR0001.JPG\""},
      {"empty", "", "\"\""},
      {"quote and backslash", "a\"b\\c", "\"a\\\"b\\\\c\""},
      {"line ends and tab", "a\r\nb\tc", "\"a\\r\\nb\\tc\""},
      {"WiFi battery caption", "WiFi Battery:\r55%", "\"WiFi Battery:\\r55%\""},
      {"control bytes", std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\\u007f\""},
      {"nul", std::string("a\0b", 3), "\"a\\u0000b\""},
      {"two-byte UTF-8", "caf\xc3\xa9", "\"caf\xc3\xa9\""},
      {"four-byte UTF-8", "\xf0\x9f\x93\xb7", "\"\xf0\x9f\x93\xb7\""},
      {"stray byte", "a\xff" "b", "\"a\\ufffdb\""},
      {"overlong", "\xc0\x80", "\"\\ufffd\\ufffd\""},
      {"cut short", "\xe2\x82", "\"\\ufffd\\ufffd\""},
      {"surrogate", "\xed\xa0\x80", "\"\\ufffd\\ufffd\\ufffd\""},
      {"above U+10FFFF", "\xf4\x90\x80\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\""},
  };
  for (const QuoteCase& c : kCases) EXPECT_EQ(JsonQuote(c.in), c.out) << c.name;
}

TEST(JsonWriterTest, CommasAndNesting) {
  JsonWriter j;
  j.BeginObject()
      .Field("name", "GOPR0001.MP4")
      .Field("size", std::uint64_t{268435456})
      .Field("exact", true)
      .Key("date")
      .Null()
      .Key("companions")
      .BeginArray()
      .BeginObject()
      .Field("name", "GOPR0001.THM")
      .EndObject()
      .BeginObject()
      .EndObject()
      .EndArray()
      .Key("empty")
      .BeginArray()
      .EndArray()
      .Field("n", -5)
      .EndObject();
  EXPECT_EQ(j.Text(),
            "{\"name\":\"GOPR0001.MP4\",\"size\":268435456,\"exact\":true,\"date\":null,"
            "\"companions\":[{\"name\":\"GOPR0001.THM\"},{}],\"empty\":[],\"n\":-5}");
}

TEST(JsonWriterTest, ArrayOfValues) {
  JsonWriter j;
  j.BeginArray().String("on").String("off").Int(0).Bool(false).Null().EndArray();
  EXPECT_EQ(j.Text(), "[\"on\",\"off\",0,false,null]");
}

TEST(JsonWriterTest, KeysAreEscapedToo) {
  JsonWriter j;
  j.BeginObject().Field("a\"b", "x").EndObject();
  EXPECT_EQ(j.Text(), "{\"a\\\"b\":\"x\"}");
}

}  // namespace
}  // namespace kivo
