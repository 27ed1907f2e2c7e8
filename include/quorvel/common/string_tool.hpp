// Text helpers of the common library: number conversions, case changes, comparison with
// optional case folding, trimming and splitting by delimiter sets, prefix and suffix tests,
// replacement. Stateless; every function may be called from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorvel::common {

// The default delimiter set of the library's trims: tab, LF, VT, FF, CR and space.
static const std::string QV_TRIM_DELIM_STR = "\t\n\v\f\r ";

// Decimal text of a number (std::to_string).
template <typename T>
std::string ToString(const T& value) {
  return std::to_string(value);
}
std::string ToString(const char* text);
std::string ToString(const std::string& text);

// Base-10 (for integers) conversion of the leading number of `text`; leading blanks are
// skipped and trailing characters ignored. Text that does not start with a number throws
// std::invalid_argument, a number out of the target's range std::out_of_range (for the
// unsigned targets any negative number but -0).
void StringTo(const std::string& text, int& out);
void StringTo(const std::string& text, unsigned int& out);
void StringTo(const std::string& text, long& out);
void StringTo(const std::string& text, unsigned long& out);
void StringTo(const std::string& text, float& out);
void StringTo(const std::string& text, double& out);
void StringTo(const std::string& text, long double& out);

template <typename T>
T StringTo(const std::string& text) {
  T value{};
  StringTo(text, value);
  return value;
}

// Change every byte in place (C toupper/tolower); return `text`.
std::string& ToUpper(std::string& text);
std::string& ToLower(std::string& text);

// a.compare(b), on lower-cased copies unless caseSensitive.
int32_t Compare(const std::string& a, const std::string& b, bool caseSensitive);
// a.compare(pos, len, b), case-folded likewise; throws std::out_of_range when pos > a.size().
int32_t Compare(const std::string& a, size_t pos, size_t len, const std::string& b,
                bool caseSensitive);

bool StartWith(const std::string& text, const std::string& prefix, bool caseSensitive);
// False when `text` is shorter than `suffix`.
bool EndWith(const std::string& text, const std::string& suffix, bool caseSensitive);

// `delims` is a set of single characters. The trims work in place and return `text`.
std::string& TrimLeft(std::string& text, const std::string& delims);
std::string& TrimRight(std::string& text, const std::string& delims);
std::string& Trim(std::string& text, const std::string& delims);

// Appends every maximal run of characters not in `delims`; never appends empty parts.
void Split(const std::string& text, std::vector<std::string>& parts, const std::string& delims);

// Copy of `text` with every occurrence of `from` (left to right, not rescanning inserted
// text) replaced by `to`; an empty `from` gives the copy unchanged.
std::string Replace(const std::string& text, const std::string& from, const std::string& to);

}  // namespace quorvel::common
