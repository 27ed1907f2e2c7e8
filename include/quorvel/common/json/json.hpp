// Conversion between JSON text and trees of Any (JsonMap, JsonArray, strings, numbers).
// The log configuration and the DDS parameter file are read through FromJsonString;
// ToJsonString prints such trees.
#pragma once

#include <string>

#include "quorvel/common/any.hpp"

namespace quorvel {
namespace common {

// Parses strict JSON (no comments, trailing commas, NaN literals or single quotes; one root
// value of any kind followed only by whitespace) into a tree of Any: null gives an empty Any,
// booleans bool, strings std::string (exact bytes), objects JsonMap (a repeated key keeps its
// last value), arrays JsonArray. A number with a fraction or exponent, or an integer beyond
// the 64-bit ranges, is a double; other integers are int, unsigned int, long or unsigned long,
// the first whose range holds the value. An empty text gives an empty Any.
// Throws JsonException "parse json error. at offset:<byte offset>" on malformed text, and on
// nesting deeper than 1000 arrays or objects (at the bracket that opens level 1001).
// Safe to call from any thread.
Any FromJsonString(const std::string& text);

// Writes `any` as JSON text: compact without any whitespace, or `pretty` with four-space
// indentation and one member or element per line. An empty Any at the root gives an empty
// text, nested it gives null; maps are written in key order. Holds bool, std::string, int,
// unsigned int, long, unsigned long, float, double, JsonArray and JsonMap only.
// Throws JsonException, and returns no partial text, for "unknown any number type" (another
// number type), "unknown any type:<type name>" (a non-JSON type) and "json write error.
// double is not finite:<nan|inf|-inf>". Safe to call from any thread; `any` must not change
// during the call.
std::string ToJsonString(const Any& any, bool pretty);

}  // namespace common
}  // namespace quorvel
