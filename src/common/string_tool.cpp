#include "quorvel/common/string_tool.hpp"

#include <cctype>
#include <limits>
#include <stdexcept>

namespace quorvel::common {

std::string ToString(const char* text) { return std::string(text); }

std::string ToString(const std::string& text) { return text; }

void StringTo(const std::string& text, int& out) { out = std::stoi(text, nullptr, 10); }

namespace {

// stoul accepts a minus sign and negates in unsigned arithmetic, so "-1" would come back as
// the largest value: a negative number lies outside every unsigned range.
unsigned long ParseUnsigned(const std::string& text) {
  const unsigned long value = std::stoul(text, nullptr, 10);
  const size_t first = text.find_first_not_of(QV_TRIM_DELIM_STR);
  if (value != 0 && text[first] == '-') {
    throw std::out_of_range("StringTo unsigned out of range: " + text);
  }
  return value;
}

}  // namespace

void StringTo(const std::string& text, unsigned int& out) {
  const unsigned long value = ParseUnsigned(text);
  // Cutting a wider value to 32 bits would hand back a different number without a word.
  if (value > std::numeric_limits<unsigned int>::max()) {
    throw std::out_of_range("StringTo unsigned int out of range: " + text);
  }
  out = static_cast<unsigned int>(value);
}

void StringTo(const std::string& text, long& out) { out = std::stoll(text, nullptr, 10); }

void StringTo(const std::string& text, unsigned long& out) { out = ParseUnsigned(text); }

void StringTo(const std::string& text, float& out) { out = std::stof(text); }

void StringTo(const std::string& text, double& out) { out = std::stod(text); }

void StringTo(const std::string& text, long double& out) { out = std::stold(text); }

std::string& ToUpper(std::string& text) {
  for (char& c : text) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return text;
}

std::string& ToLower(std::string& text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

int32_t Compare(const std::string& a, const std::string& b, bool caseSensitive) {
  if (caseSensitive) {
    return a.compare(b);
  }
  std::string lowerA = a;
  std::string lowerB = b;
  return ToLower(lowerA).compare(ToLower(lowerB));
}

int32_t Compare(const std::string& a, size_t pos, size_t len, const std::string& b,
                bool caseSensitive) {
  if (caseSensitive) {
    return a.compare(pos, len, b);
  }
  std::string lowerA = a;
  std::string lowerB = b;
  return ToLower(lowerA).compare(pos, len, ToLower(lowerB));
}

bool StartWith(const std::string& text, const std::string& prefix, bool caseSensitive) {
  return Compare(text, 0, prefix.size(), prefix, caseSensitive) == 0;
}

bool EndWith(const std::string& text, const std::string& suffix, bool caseSensitive) {
  if (text.size() < suffix.size()) {
    return false;
  }
  return Compare(text, text.size() - suffix.size(), suffix.size(), suffix, caseSensitive) == 0;
}

std::string& TrimLeft(std::string& text, const std::string& delims) {
  if (text.empty() || delims.empty()) {
    return text;
  }
  text.erase(0, text.find_first_not_of(delims));
  return text;
}

std::string& TrimRight(std::string& text, const std::string& delims) {
  if (text.empty() || delims.empty()) {
    return text;
  }
  const size_t last = text.find_last_not_of(delims);
  text.erase(last == std::string::npos ? 0 : last + 1);
  return text;
}

std::string& Trim(std::string& text, const std::string& delims) {
  return TrimRight(TrimLeft(text, delims), delims);
}

void Split(const std::string& text, std::vector<std::string>& parts, const std::string& delims) {
  size_t start = text.find_first_not_of(delims);
  while (start != std::string::npos) {
    const size_t end = text.find_first_of(delims, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    start = end == std::string::npos ? end : text.find_first_not_of(delims, end);
  }
}

std::string Replace(const std::string& text, const std::string& from, const std::string& to) {
  std::string result = text;
  if (from.empty()) {
    return result;
  }
  size_t pos = result.find(from);
  while (pos != std::string::npos) {
    result.replace(pos, from.size(), to);
    pos = result.find(from, pos + to.size());
  }
  return result;
}

}  // namespace quorvel::common
