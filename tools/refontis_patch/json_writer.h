// A minimal JSON writer for the tool's --json output: one object, written in order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace refontis::tools {

class JsonWriter {
 public:
  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }
  void Key(std::string_view key) {
    Separate();
    String(key);
    out_ += ':';
    afterKey_ = true;
  }
  void Value(int64_t v) {
    Separate();
    out_ += std::to_string(v);
  }
  void Value(bool v) {
    Separate();
    out_ += v ? "true" : "false";
  }
  // Bytes outside ASCII are written as \u00XX, one character per byte.
  void Value(std::string_view s) {
    Separate();
    String(s);
  }
  const std::string& Text() const { return out_; }

 private:
  void Open(char c) {
    Separate();
    out_ += c;
    first_ = true;
  }
  void Close(char c) {
    out_ += c;
    first_ = false;
  }
  void Separate() {
    if (afterKey_) {
      afterKey_ = false;
      return;
    }
    if (!first_ && !out_.empty()) out_ += ',';
    first_ = false;
  }
  void String(std::string_view s) {
    out_ += '"';
    for (const char ch : s) {
      const auto c = static_cast<unsigned char>(ch);
      if (c == '"' || c == '\\') {
        out_ += '\\';
        out_ += ch;
      } else if (c < 0x20 || c >= 0x7F) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", c);
        out_ += buf;
      } else {
        out_ += ch;
      }
    }
    out_ += '"';
  }

  std::string out_;
  bool first_ = true;
  bool afterKey_ = false;
};

}  // namespace refontis::tools
