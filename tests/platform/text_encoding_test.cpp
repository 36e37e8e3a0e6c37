// Code page 932 <-> UTF-8 conversion of the program's texts.
#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace refontis::platform {
namespace {

// The compiler's own UTF-8 form of a text, the reference the converter is held to.
template <size_t N>
std::string Utf8(const char8_t (&text)[N]) {
  return std::string(reinterpret_cast<const char*>(text), N - 1);
}

TEST(TextEncoding, JapaneseTextsRoundTrip) {
  // Plain literals are code page 932 at run time; u8 literals are UTF-8.
  const struct {
    std::string cp932;
    std::string utf8;
  } cases[] = {
      {"日本語フォントの改訂", Utf8(u8"日本語フォントの改訂")},
      {"　　・ソ表示 / 能力 / 予定", Utf8(u8"　　・ソ表示 / 能力 / 予定")},  // 5C trail bytes
      {"ｶﾀｶﾅ and ASCII 123", Utf8(u8"ｶﾀｶﾅ and ASCII 123")},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8) << c.utf8;
    EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.utf8;
    EXPECT_EQ(Utf8ToCp932(Cp932ToUtf8(c.cp932)), c.cp932) << c.utf8;
  }
  EXPECT_NE(std::string("日本"), Utf8(u8"日本"));  // the two forms really differ
}

TEST(TextEncoding, UnconvertibleBytesBecomeQuestionMarks) {
  EXPECT_EQ(Cp932ToUtf8("a\xFF"
                        "b"),
            "a?b");
  EXPECT_EQ(Cp932ToUtf8("ab\x82"), "ab?");  // a lead byte with nothing after it
  EXPECT_EQ(Utf8ToCp932("a\xC3"), "a?");
}

}  // namespace
}  // namespace refontis::platform
