// Reading private-profile (INI) texts.
#include "platform/private_profile.h"

#include <climits>

namespace refontis::platform {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The profiles are code-page-932 texts; the trail byte of a two-byte character can look like
// an ASCII letter or bracket.
bool IsLeadByte(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 0x81 && u <= 0x9F) || (u >= 0xE0 && u <= 0xFC);
}

// Case is ignored for ASCII letters only: "ア" (83 41) and "ヂ" (83 61) are different names.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k) {
    if (IsLeadByte(a[k]) && k + 1 < a.size()) {
      if (a[k] != b[k] || a[k + 1] != b[k + 1]) return false;
      ++k;
      continue;
    }
    if (LowerAscii(a[k]) != LowerAscii(b[k])) return false;
  }
  return true;
}

// The first ']' of a section line that is not the trail byte of a two-byte character.
size_t FindClosingBracket(std::string_view line) {
  for (size_t k = 1; k < line.size(); ++k) {
    if (IsLeadByte(line[k]) && k + 1 < line.size()) {
      ++k;
    } else if (line[k] == ']') {
      return k;
    }
  }
  return std::string_view::npos;
}

std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    return v.substr(1, v.size() - 2);
  }
  return v;
}

}  // namespace

PrivateProfile PrivateProfile::Parse(std::span<const uint8_t> bytes) {
  PrivateProfile profile;
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  size_t pos = 0;
  Section* current = nullptr;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const size_t close = FindClosingBracket(line);
      const std::string_view name =
          Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
      profile.sections_.push_back({std::string(name), {}});
      current = &profile.sections_.back();
      continue;
    }
    const size_t eq = line.find('=');
    if (current == nullptr || eq == std::string_view::npos) continue;
    current->keys.emplace_back(std::string(Trim(line.substr(0, eq))),
                               std::string(Unquote(Trim(line.substr(eq + 1)))));
  }
  return profile;
}

std::optional<std::string> PrivateProfile::Find(std::string_view section,
                                                std::string_view key) const {
  for (const Section& s : sections_) {
    if (!SameName(s.name, Trim(section))) continue;
    for (const auto& [k, v] : s.keys) {
      if (SameName(k, Trim(key))) return v;
    }
    return std::nullopt;  // only the first section of that name is read
  }
  return std::nullopt;
}

std::string PrivateProfile::GetString(std::string_view section, std::string_view key,
                                      std::string_view fallback, size_t bufferSize) const {
  if (bufferSize == 0) return {};
  const auto value = Find(section, key);
  std::string out = value ? *value : std::string(fallback);
  if (out.size() > bufferSize - 1) out.resize(bufferSize - 1);
  return out;
}

int PrivateProfile::GetInt(std::string_view section, std::string_view key, int fallback) const {
  const auto value = Find(section, key);
  return value ? LeadingDecimal(*value) : fallback;
}

int LeadingDecimal(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) break;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace refontis::platform
