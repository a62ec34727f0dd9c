// One JSON object written as one line of UTF-8 on standard output: the driver's whole report
// format, so the shell and Python harnesses can read it line by line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vtrdrive {

class JsonLine {
 public:
  JsonLine& Add(const char* key, const std::wstring& value);
  JsonLine& Add(const char* key, int64_t value);
  JsonLine& Add(const char* key, bool value);
  JsonLine& Add(const char* key, const std::vector<std::wstring>& values);
  JsonLine& Add(const char* key, const std::vector<int64_t>& values);
  // A nested object.
  JsonLine& Add(const char* key, const JsonLine& object);
  // Writes the object and a line feed to standard output at once (no buffering, so a harness
  // that reads while the program runs sees each box as it appears).
  void Write() const;
  // The object as text, without the line feed.
  std::wstring Text() const;

 private:
  void Key(const char* key);
  std::wstring body_;
};

// The JSON string literal for a text: quotes, backslashes and control characters escaped
// (a carriage return is \r), everything else kept as it is.
std::wstring JsonString(const std::wstring& text);

// UTF-16 to UTF-8.
std::string Utf8(const std::wstring& text);

}  // namespace vtrdrive
