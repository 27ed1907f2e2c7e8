#include "quorvel/common/json/json.hpp"

#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>

namespace quorvel {
namespace common {
namespace {

Any FromJsonValue(const rapidjson::Value& value);

Any FromJsonNumber(const rapidjson::Value& value) {
  if (value.IsDouble()) return Any(value.GetDouble());
  if (value.IsInt()) return Any(value.GetInt());
  if (value.IsUint()) return Any(value.GetUint());
  if (value.IsInt64()) return Any(static_cast<long>(value.GetInt64()));
  return Any(static_cast<unsigned long>(value.GetUint64()));
}

Any FromJsonObject(const rapidjson::Value& value) {
  JsonMap map;
  for (const auto& member : value.GetObject()) {
    map[std::string(member.name.GetString(), member.name.GetStringLength())] =
        FromJsonValue(member.value);
  }
  return Any(map);
}

Any FromJsonArray(const rapidjson::Value& value) {
  JsonArray array;
  array.reserve(value.Size());
  for (const auto& element : value.GetArray()) array.push_back(FromJsonValue(element));
  return Any(array);
}

Any FromJsonValue(const rapidjson::Value& value) {
  switch (value.GetType()) {
    case rapidjson::kNullType:
      return Any();
    case rapidjson::kFalseType:
    case rapidjson::kTrueType:
      return Any(value.GetBool());
    case rapidjson::kStringType:
      return Any(std::string(value.GetString(), value.GetStringLength()));
    case rapidjson::kNumberType:
      return FromJsonNumber(value);
    case rapidjson::kObjectType:
      return FromJsonObject(value);
    case rapidjson::kArrayType:
      return FromJsonArray(value);
  }
  return Any();
}

[[noreturn]] void ThrowParseError(size_t offset) {
  QV_THROW(JsonException, "parse json error. at offset:" + std::to_string(offset));
}

// The parser and the conversion recurse once per nesting level, so hostile nesting would
// overflow the stack; this scan finds the bracket that opens one level too many.
constexpr size_t kMaxNestingDepth = 1000;

size_t FindTooDeepBracket(const std::string& text) {
  size_t depth = 0;
  bool in_string = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxNestingDepth) return i;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return std::string::npos;
}

template <typename Writer>
void WriteAny(const Any& any, Writer& writer);

template <typename Writer>
void WriteDouble(double value, Writer& writer) {
  if (!std::isfinite(value)) {
    QV_THROW(JsonException, std::string("json write error. double is not finite:") +
                                (std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf"));
  }
  writer.Double(value);
}

template <typename Writer>
void WriteNumber(const Any& any, Writer& writer) {
  if (IsInt(any)) {
    writer.Int(AnyCast<int>(any));
  } else if (IsUint(any)) {
    writer.Uint(AnyCast<unsigned int>(any));
  } else if (IsInt64(any)) {
    writer.Int64(AnyCast<long>(any));
  } else if (IsUint64(any)) {
    writer.Uint64(AnyCast<unsigned long>(any));
  } else if (IsDouble(any)) {
    WriteDouble(AnyCast<double>(any), writer);
  } else if (IsFloat(any)) {
    WriteDouble(AnyCast<float>(any), writer);
  } else {
    QV_THROW(JsonException, "unknown any number type");
  }
}

template <typename Writer>
void WriteArray(const JsonArray& array, Writer& writer) {
  writer.StartArray();
  for (const auto& element : array) WriteAny(element, writer);
  writer.EndArray(static_cast<rapidjson::SizeType>(array.size()));
}

template <typename Writer>
void WriteMap(const JsonMap& map, Writer& writer) {
  writer.StartObject();
  for (const auto& [key, value] : map) {
    writer.Key(key.data(), static_cast<rapidjson::SizeType>(key.size()), true);
    WriteAny(value, writer);
  }
  writer.EndObject(static_cast<rapidjson::SizeType>(map.size()));
}

template <typename Writer>
void WriteAny(const Any& any, Writer& writer) {
  if (any.Empty()) {
    writer.Null();
  } else if (IsBool(any)) {
    writer.Bool(AnyCast<bool>(any));
  } else if (IsString(any)) {
    const std::string& text = AnyCast<std::string>(any);
    writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()), true);
  } else if (IsNumber(any)) {
    WriteNumber(any, writer);
  } else if (IsJsonArray(any)) {
    WriteArray(AnyCast<JsonArray>(any), writer);
  } else if (IsJsonMap(any)) {
    WriteMap(AnyCast<JsonMap>(any), writer);
  } else {
    QV_THROW(JsonException, std::string("unknown any type:") + any.GetTypeInfo().name());
  }
}

template <typename Writer>
std::string Write(const Any& any) {
  rapidjson::StringBuffer buffer;
  Writer writer(buffer);
  WriteAny(any, writer);
  return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace

Any FromJsonString(const std::string& text) {
  if (text.empty()) return Any();
  const size_t too_deep = FindTooDeepBracket(text);
  if (too_deep != std::string::npos) ThrowParseError(too_deep);
  rapidjson::Document document;
  document.Parse(text.data(), text.size());
  if (document.HasParseError()) ThrowParseError(document.GetErrorOffset());
  // The parser takes a NUL byte for the end of the text; whatever follows one would be
  // silently ignored, and a NUL is never valid JSON outside a string.
  const size_t nul = text.find('\0');
  if (nul != std::string::npos) ThrowParseError(nul);
  return FromJsonValue(document);
}

std::string ToJsonString(const Any& any, bool pretty) {
  if (any.Empty()) return std::string();
  if (pretty) return Write<rapidjson::PrettyWriter<rapidjson::StringBuffer>>(any);
  return Write<rapidjson::Writer<rapidjson::StringBuffer>>(any);
}

}  // namespace common
}  // namespace quorvel
