// A small JSON writer for kivo-cli's machine-readable output: objects, arrays, strings, numbers,
// booleans and null, written compactly on one line. Texts from the camera are untrusted bytes, so
// strings are escaped and anything that is not UTF-8 becomes U+FFFD. Plain value; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

// |text| as a JSON string literal, quotes included.
std::string JsonQuote(std::string_view text);

class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // Inside an object, before each value.
  JsonWriter& Key(std::string_view key);
  JsonWriter& String(std::string_view value);
  JsonWriter& Int(std::int64_t value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

  // Key and value in one call.
  JsonWriter& Field(std::string_view key, std::string_view value) { return Key(key).String(value); }
  JsonWriter& Field(std::string_view key, const char* value) { return Key(key).String(value); }
  JsonWriter& Field(std::string_view key, std::int64_t value) { return Key(key).Int(value); }
  JsonWriter& Field(std::string_view key, int value) { return Key(key).Int(value); }
  JsonWriter& Field(std::string_view key, std::uint64_t value) {
    return Key(key).Int(static_cast<std::int64_t>(value));
  }
  JsonWriter& Field(std::string_view key, bool value) { return Key(key).Bool(value); }

  const std::string& Text() const { return out_; }

 private:
  void BeforeValue();

  std::string out_;
  std::vector<bool> first_;  // per open container: nothing written in it yet
  bool after_key_ = false;
};

}  // namespace kivo
