// The private-profile parser against the Windows profile calls' behaviour.
#include "platform/private_profile.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace refontis::platform {
namespace {

PrivateProfile ParseText(const std::string& text) {
  return PrivateProfile::Parse(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// Joins lines with the given line end; the last line has none, as an editor may leave it.
std::string Lines(const std::vector<std::string>& lines, const std::string& eol) {
  std::string text;
  for (size_t k = 0; k < lines.size(); ++k) text += (k == 0 ? "" : eol) + lines[k];
  return text;
}

const std::vector<std::string> kProfile = {
    "; a comment before any section",
    "orphan=outside any section",
    "[Fonts]",
    "  Name   =   Value One   ",
    "quoted=\"  padded  \"",
    "single='x'",
    "unmatched=\"abc",
    "mixed=\"abc'",
    "lone=\"",
    "emptyquotes=\"\"",
    "empty=",
    "dup=first",
    "DUP=second",
    ";commented=yes",
    "   ; indented=comment",
    "no equals sign here",
    "eq=a=b",
    "\tTabbed\t=\ttab value\t",
    " [ Spaced Section ]  ",
    "key=spaced",
    "[fonts]",
    "Name=from the second section of that name",
    "onlyInSecond=z",
    "[Other]",
    "Name=other",
};

TEST(PrivateProfileString, ReadsValuesAsTheProfileCallsDo) {
  const struct {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"Fonts", "Name", "Value One"},
      {"FONTS", "name", "Value One"},      // names ignore case
      {"fonts", "NAME", "Value One"},      // the first of two sections "Fonts"/"fonts" is read
      {" Fonts ", " Name ", "Value One"},  // so do blanks around the names asked for
      {"Fonts", "quoted", "  padded  "},   // quotes removed, blanks inside them kept
      {"Fonts", "single", "x"},
      {"Fonts", "unmatched", "\"abc"},
      {"Fonts", "mixed", "\"abc'"},
      {"Fonts", "lone", "\""},
      {"Fonts", "emptyquotes", ""},
      {"Fonts", "empty", ""},  // present but empty: not the fallback
      {"Fonts", "dup", "first"},
      {"Fonts", "eq", "a=b"},  // the first '=' splits
      {"Fonts", "Tabbed", "tab value"},
      {"Spaced Section", "key", "spaced"},
      {"Other", "name", "other"},
      // Missing: the fallback.
      {"Fonts", "commented", "<fallback>"},
      {"Fonts", "; indented", "<fallback>"},
      {"Fonts", "no equals sign here", "<fallback>"},
      {"Fonts", "onlyInSecond", "<fallback>"},  // a repeated section adds nothing
      {"Fonts", "orphan", "<fallback>"},
      {"", "orphan", "<fallback>"},  // keys before any section are ignored
      {"Missing", "Name", "<fallback>"},
      {"Fonts", "Nam", "<fallback>"},
      {"Fonts", "Names", "<fallback>"},
  };
  for (const char* eol : {"\r\n", "\n"}) {
    const PrivateProfile profile = ParseText(Lines(kProfile, eol));
    for (const auto& c : cases) {
      EXPECT_EQ(profile.GetString(c.section, c.key, "<fallback>", 255), c.expected)
          << "[" << c.section << "] " << c.key << (eol[0] == '\r' ? " CRLF" : " LF");
    }
  }
}

TEST(PrivateProfileString, FindTellsMissingFromEmpty) {
  const PrivateProfile profile = ParseText(Lines(kProfile, "\n"));
  EXPECT_EQ(profile.Find("fonts", "empty"), std::optional<std::string>(""));
  EXPECT_EQ(profile.Find("fonts", "commented"), std::nullopt);
  EXPECT_EQ(profile.Find("nowhere", "Name"), std::nullopt);
}

TEST(PrivateProfileString, CutsValueAndFallbackToBufferSizeMinusOne) {
  const PrivateProfile profile = ParseText("[S]\nk=Value One\nq=\"quoted\"\n");
  const struct {
    const char* key;
    size_t bufferSize;
    const char* expected;
  } cases[] = {
      {"k", 255, "Value One"},
      {"k", 10, "Value One"},
      {"k", 9, "Value On"},
      {"k", 4, "Val"},
      {"k", 2, "V"},
      {"k", 1, ""},
      {"k", 0, ""},
      {"q", 4, "quo"},  // the quotes are gone before the cut
      {"none", 255, "fallback"},
      {"none", 5, "fall"},
      {"none", 1, ""},
      {"none", 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(profile.GetString("S", c.key, "fallback", c.bufferSize), c.expected)
        << c.key << " " << c.bufferSize;
  }
}

TEST(PrivateProfileString, Cp932BytesPassThroughUnchanged) {
  // ソ (83 5C) and 表 (95 5C) end in a backslash byte, ゾ (83 5D) in ']', ア (83 41) in 'A'.
  ASSERT_EQ(std::string("ソ表"), "\x83\x5C\x95\x5C");  // the literals are code page 932
  const std::string value = "\x81\x40\x81\x40\x81\x45\x83\x5C\x95\x5C\\end";  // 　　・ソ表\end
  const std::string section = "\x83\x5D\x81\x5B\x83\x93";                     // ゾーン
  const std::string text = "[" + section + "]\r\ntitle=" + value + "\r\n" + "[Plain]\r\nk=\"" +
                           value + "\"\r\n\x83\x41=katakana a\r\n";
  const PrivateProfile profile = ParseText(text);
  EXPECT_EQ(profile.GetString(section, "title", "", 255), value);
  EXPECT_EQ(profile.GetString("Plain", "k", "", 255), value);
  // The ']' trail byte of ゾ does not end the section name.
  EXPECT_EQ(profile.GetString("\x83", "title", "missing", 255), "missing");
  EXPECT_EQ(profile.GetString("Plain", "\x83\x41", "", 255), "katakana a");
  // A trail byte is no ASCII letter: ヂ (83 61) is not ア (83 41) in another case.
  EXPECT_EQ(profile.GetString("Plain", "\x83\x61", "missing", 255), "missing");
  EXPECT_EQ(profile.GetString("plain", "\x83\x41", "", 255), "katakana a");
}

TEST(PrivateProfileString, EmptyOrSectionlessTextsGiveTheFallback) {
  for (const std::string text : {"", "\n\n", "k=v\n", "[S", "[]\nk=v", ";[S]\nk=v"}) {
    EXPECT_EQ(ParseText(text).GetString("S", "k", "d", 255), "d") << text;
  }
}

TEST(PrivateProfileInt, ReadsTheLeadingDecimalNumber) {
  const struct {
    const char* value;  // nullptr: the key is missing
    int expected;
  } cases[] = {
      {"12abc", 12},
      {"abc", 0},
      {"-5", -5},
      {"+7", 7},
      {"  16  ", 16},
      {"0x10", 0},
      {"2001", 2001},
      {"", 0},
      {"\"42\"", 42},  // unquoted first
      {"- 5", 0},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"007", 7},
      {nullptr, -1},
  };
  for (const auto& c : cases) {
    const std::string text =
        c.value == nullptr ? "[S]\nother=1\n" : std::string("[S]\nk=") + c.value + "\n";
    EXPECT_EQ(ParseText(text).GetInt("s", "K", -1), c.expected)
        << (c.value == nullptr ? "(missing)" : c.value);
  }
}

TEST(LeadingDecimal, StopsAtTheFirstNonDigit) {
  EXPECT_EQ(LeadingDecimal("  -12abc"), -12);
  EXPECT_EQ(LeadingDecimal("3.9"), 3);
  EXPECT_EQ(LeadingDecimal("-"), 0);
  EXPECT_EQ(LeadingDecimal(""), 0);
  EXPECT_EQ(LeadingDecimal("99999999999999999999"), INT_MAX);
  EXPECT_EQ(LeadingDecimal("-99999999999999999999"), INT_MIN);
}

}  // namespace
}  // namespace refontis::platform
