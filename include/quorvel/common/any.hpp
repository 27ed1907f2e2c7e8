// Any: the type-erased value of the common library, owning one copy of a value of any
// copyable type, with exact (AnyCast) and numeric (AnyNumberCast) extraction and type
// predicates. Parsed JSON (JsonMap, JsonArray), configuration trees, futures and thread
// results are passed around as Any.
#pragma once

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "quorvel/common/exception.hpp"

namespace quorvel {
namespace common {

class Any;

template <typename ValueType>
const ValueType& AnyCast(const Any* any);

namespace any_detail {
// The value constructor and assignment templates step aside for Any itself (copying),
// and for texts, which the const char* constructor turns into std::string.
template <typename ValueType>
constexpr bool kIsValue = !std::is_same_v<std::decay_t<ValueType>, Any> &&
                          !std::is_same_v<std::decay_t<ValueType>, char*> &&
                          !std::is_same_v<std::decay_t<ValueType>, const char*>;
}  // namespace any_detail

// Empty, or the owner of exactly one heap-allocated holder. Copies are deep; nothing is
// shared between copies. Concurrent reads are safe; writes need the caller's lock.
class Any {
 public:
  class PlaceHolder {
   public:
    virtual ~PlaceHolder() = default;
    virtual const std::type_info& GetTypeInfo() const = 0;
    virtual PlaceHolder* Clone() const = 0;
  };

  template <typename ValueType>
  class Holder : public PlaceHolder {
   public:
    explicit Holder(const ValueType& value) : value_(value) {}
    const std::type_info& GetTypeInfo() const override { return typeid(ValueType); }
    PlaceHolder* Clone() const override { return new Holder<ValueType>(value_); }

    ValueType value_;
  };

  Any() = default;

  template <typename ValueType, typename = std::enable_if_t<any_detail::kIsValue<ValueType>>>
  Any(const ValueType& value) : content_(new Holder<ValueType>(value)) {}

  // Holds a std::string of the text. A null pointer throws CommonException.
  Any(const char* value);

  Any(const Any& other) : content_(other.content_ ? other.content_->Clone() : nullptr) {}

  ~Any() {
    delete content_;
    content_ = nullptr;
  }

  // Exchanges the holders; never allocates, never throws.
  Any& Swap(Any& other) noexcept {
    std::swap(content_, other.content_);
    return *this;
  }

  // Copy and swap: on failure (std::bad_alloc) *this keeps its old value.
  Any& operator=(Any other) { return Swap(other); }

  template <typename ValueType, typename = std::enable_if_t<any_detail::kIsValue<ValueType>>>
  Any& operator=(const ValueType& value) {
    Any(value).Swap(*this);
    return *this;
  }

  bool Empty() const { return content_ == nullptr; }

  // The held value's type, typeid(void) when empty.
  const std::type_info& GetTypeInfo() const {
    return content_ ? content_->GetTypeInfo() : typeid(void);
  }

 private:
  template <typename ValueType>
  friend const ValueType& AnyCast(const Any* any);

  PlaceHolder* content_ = nullptr;
};

using JsonMap = std::map<std::string, Any>;
using JsonArray = std::vector<Any>;

static const Any QV_EMPTY_ANY;

static inline bool IsTypeEqual(const std::type_info& a, const std::type_info& b) {
  return a == b;
}

static inline bool IsBoolType(const std::type_info& t) { return t == typeid(bool); }
static inline bool IsInt8Type(const std::type_info& t) { return t == typeid(signed char); }
static inline bool IsUint8Type(const std::type_info& t) { return t == typeid(unsigned char); }
static inline bool IsInt16Type(const std::type_info& t) { return t == typeid(short); }
static inline bool IsUint16Type(const std::type_info& t) { return t == typeid(unsigned short); }
static inline bool IsIntType(const std::type_info& t) { return t == typeid(int); }
static inline bool IsUintType(const std::type_info& t) { return t == typeid(unsigned int); }
static inline bool IsInt64Type(const std::type_info& t) { return t == typeid(long); }
static inline bool IsUint64Type(const std::type_info& t) { return t == typeid(unsigned long); }
static inline bool IsFloatType(const std::type_info& t) { return t == typeid(float); }
static inline bool IsDoubleType(const std::type_info& t) { return t == typeid(double); }
static inline bool IsLongDoubleType(const std::type_info& t) { return t == typeid(long double); }

// The eight integer types: signed and unsigned char, short, int and long (not plain char,
// not long long).
static inline bool IsIntegerType(const std::type_info& t) {
  return IsInt8Type(t) || IsUint8Type(t) || IsInt16Type(t) || IsUint16Type(t) || IsIntType(t) ||
         IsUintType(t) || IsInt64Type(t) || IsUint64Type(t);
}

// bool, the integer types, float, double and long double.
static inline bool IsNumberType(const std::type_info& t) {
  return IsBoolType(t) || IsIntegerType(t) || IsFloatType(t) || IsDoubleType(t) ||
         IsLongDoubleType(t);
}

namespace any_detail {

[[noreturn]] void ThrowAnyCastError(const std::type_info& target, const std::type_info& source);
[[noreturn]] void ThrowNotNumber();
[[noreturn]] void ThrowUnknownNumber(const std::type_info& source);
[[noreturn]] void ThrowOutOfRange(const std::type_info& source, const std::type_info& target);

template <typename T>
constexpr bool kIsNumber =
    std::is_same_v<T, bool> || std::is_same_v<T, signed char> ||
    std::is_same_v<T, unsigned char> || std::is_same_v<T, short> ||
    std::is_same_v<T, unsigned short> || std::is_same_v<T, int> ||
    std::is_same_v<T, unsigned int> || std::is_same_v<T, long> ||
    std::is_same_v<T, unsigned long> || std::is_same_v<T, float> || std::is_same_v<T, double> ||
    std::is_same_v<T, long double>;

// Whether a floating value converts to Target without undefined behaviour: for an integer
// target its truncation must be representable (NaN and infinities never are); for a
// floating target a finite value must not exceed the target's largest finite value.
template <typename Target>
bool FloatingFits(long double value) {
  if constexpr (std::is_integral_v<Target>) {
    const long double lowest = static_cast<long double>(std::numeric_limits<Target>::min()) - 1;
    const long double highest = static_cast<long double>(std::numeric_limits<Target>::max()) + 1;
    return value > lowest && value < highest;
  } else {
    return !std::isfinite(value) ||
           std::fabs(value) <= static_cast<long double>(std::numeric_limits<Target>::max());
  }
}

template <typename Target, typename Source>
Target ConvertNumber(const Any* any) {
  const Source& value = AnyCast<Source>(any);
  if constexpr (std::is_floating_point_v<Source> && !std::is_same_v<Target, bool>) {
    if (!FloatingFits<Target>(value)) ThrowOutOfRange(typeid(Source), typeid(Target));
  }
  return static_cast<Target>(value);
}

}  // namespace any_detail

// The held value when its type is exactly ValueType, no conversion of any kind. Otherwise
// throws BadCastException "AnyCast error. target type is <name>, but source type is <name>"
// with the platform's type names ("v" for an empty or null Any). The reference lives as
// long as the Any keeps its value.
template <typename ValueType>
const ValueType& AnyCast(const Any* any) {
  const std::type_info& source = any ? any->GetTypeInfo() : typeid(void);
  if (!IsTypeEqual(typeid(ValueType), source)) {
    any_detail::ThrowAnyCastError(typeid(ValueType), source);
  }
  return static_cast<const Any::Holder<ValueType>*>(any->content_)->value_;
}

template <typename ValueType>
const ValueType& AnyCast(const Any& any) {
  return AnyCast<ValueType>(&any);
}

// The held number converted to ValueType with static_cast semantics (floating values
// truncate toward zero, integers wrap modulo the target width, non-zero gives true).
// Throws BadCastException:
//  - "AnyNumberCast error. not number type" when source or target is no number type;
//  - "AnyNumberCast error. unknown number type:b" for a held bool and a non-bool target;
//  - "AnyNumberCast error. out of range value of type:<source>, target type:<target>" for a
//    floating value that the target cannot represent (NaN and infinities for integers).
template <typename ValueType>
ValueType AnyNumberCast(const Any* any) {
  using any_detail::ConvertNumber;
  const std::type_info& source = any ? any->GetTypeInfo() : typeid(void);
  if constexpr (!any_detail::kIsNumber<ValueType>) {
    any_detail::ThrowNotNumber();
  } else {
    if (!IsNumberType(source)) any_detail::ThrowNotNumber();
    if (IsTypeEqual(typeid(ValueType), source)) return AnyCast<ValueType>(any);
    if (IsFloatType(source)) return ConvertNumber<ValueType, float>(any);
    if (IsDoubleType(source)) return ConvertNumber<ValueType, double>(any);
    if (IsLongDoubleType(source)) return ConvertNumber<ValueType, long double>(any);
    if (IsInt8Type(source)) return ConvertNumber<ValueType, signed char>(any);
    if (IsUint8Type(source)) return ConvertNumber<ValueType, unsigned char>(any);
    if (IsInt16Type(source)) return ConvertNumber<ValueType, short>(any);
    if (IsUint16Type(source)) return ConvertNumber<ValueType, unsigned short>(any);
    if (IsIntType(source)) return ConvertNumber<ValueType, int>(any);
    if (IsUintType(source)) return ConvertNumber<ValueType, unsigned int>(any);
    if (IsInt64Type(source)) return ConvertNumber<ValueType, long>(any);
    if (IsUint64Type(source)) return ConvertNumber<ValueType, unsigned long>(any);
    any_detail::ThrowUnknownNumber(source);
  }
}

template <typename ValueType>
ValueType AnyNumberCast(const Any& any) {
  return AnyNumberCast<ValueType>(&any);
}

static inline bool IsBool(const Any& any) { return IsBoolType(any.GetTypeInfo()); }
static inline bool IsString(const Any& any) { return any.GetTypeInfo() == typeid(std::string); }
static inline bool IsInt8(const Any& any) { return IsInt8Type(any.GetTypeInfo()); }
static inline bool IsUint8(const Any& any) { return IsUint8Type(any.GetTypeInfo()); }
static inline bool IsInt16(const Any& any) { return IsInt16Type(any.GetTypeInfo()); }
static inline bool IsUint16(const Any& any) { return IsUint16Type(any.GetTypeInfo()); }
static inline bool IsInt(const Any& any) { return IsIntType(any.GetTypeInfo()); }
static inline bool IsUint(const Any& any) { return IsUintType(any.GetTypeInfo()); }
static inline bool IsInt64(const Any& any) { return IsInt64Type(any.GetTypeInfo()); }
static inline bool IsUint64(const Any& any) { return IsUint64Type(any.GetTypeInfo()); }
static inline bool IsFloat(const Any& any) { return IsFloatType(any.GetTypeInfo()); }
static inline bool IsDouble(const Any& any) { return IsDoubleType(any.GetTypeInfo()); }
static inline bool IsLongDouble(const Any& any) { return IsLongDoubleType(any.GetTypeInfo()); }
static inline bool IsInteger(const Any& any) { return IsIntegerType(any.GetTypeInfo()); }
static inline bool IsNumber(const Any& any) { return IsNumberType(any.GetTypeInfo()); }
static inline bool IsNull(const Any& any) { return any.Empty(); }
static inline bool IsJsonArray(const Any& any) { return any.GetTypeInfo() == typeid(JsonArray); }
static inline bool IsJsonMap(const Any& any) { return any.GetTypeInfo() == typeid(JsonMap); }

// The held std::string, or an empty text for an empty Any. Converts nothing: any other
// held type throws the BadCastException of AnyCast.
static inline const std::string& ToString(const Any& any) {
  return any.Empty() ? QV_EMPTY_STR : AnyCast<std::string>(any);
}

}  // namespace common
}  // namespace quorvel
