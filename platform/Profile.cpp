#include "platform/Profile.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/PlainFile.h"

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

std::string Trim(const std::string& text) {
  std::size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::optional<std::string> FindValue(const std::string& section, const std::string& key, std::string_view file) {
  const std::string wantedSection = Trim(section), wantedKey = Trim(key);
  bool seenSection = false, inSection = false;
  while (!file.empty()) {
    const std::size_t newline = file.find('\n');
    const std::string text = Trim(std::string(file.substr(0, newline)));
    file.remove_prefix(newline == std::string_view::npos ? file.size() : newline + 1);
    if (text.empty() || text[0] == ';') continue;
    if (text[0] == '[') {
      // Only the first section of that name is looked at.
      if (inSection) return std::nullopt;
      const std::size_t close = text.find(']');
      const std::string name = Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      inSection = !seenSection && SameName(name, wantedSection);
      seenSection = seenSection || inSection;
      continue;
    }
    if (!inSection) continue;
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) continue;
    if (SameName(Trim(text.substr(0, equals)), wantedKey)) {
      std::string value = Trim(text.substr(equals + 1));
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
      return value;
    }
  }
  return std::nullopt;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

std::uint32_t ParseInteger(const std::string& text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i + 1 < text.size() && text[i] == '0') {
    const char prefix = Lower(text[i + 1]);
    if (prefix == 'x') base = 16;
    if (prefix == 'o') base = 8;
    if (prefix == 'b') base = 2;
    if (base != 10) i += 2;
  }
  std::uint32_t value = 0;
  for (; i < text.size() && DigitValue(text[i]) < base; ++i) value = value * std::uint32_t(base) + std::uint32_t(DigitValue(text[i]));
  return negative ? 0u - value : value;
}

}  // namespace

Profile Profile::Read(const std::string& path) {
  std::string reason;
  std::optional<std::string> text = ReadPlainFile(path, kPlainFileLimit, reason);
  return Profile(text ? std::move(*text) : std::string());
}

int Profile::ReadInt(const std::string& section, const std::string& key, int defaultValue) const {
  const std::optional<std::string> value = FindValue(section, key, text_);
  if (!value || value->empty()) return defaultValue;
  return static_cast<int>(ParseInteger(*value));
}

int ReadProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& path) {
  return Profile::Read(path).ReadInt(section, key, defaultValue);
}

}  // namespace platform
