#include "quorvel/common/any.hpp"

namespace quorvel {
namespace common {

Any::Any(const char* value) {
  if (value == nullptr) QV_THROW(CommonException, "Any error. null text");
  content_ = new Holder<std::string>(value);
}

namespace any_detail {

void ThrowAnyCastError(const std::type_info& target, const std::type_info& source) {
  QV_THROW(BadCastException, std::string("AnyCast error. target type is ") + target.name() +
                                 ", but source type is " + source.name());
}

void ThrowNotNumber() { QV_THROW(BadCastException, "AnyNumberCast error. not number type"); }

void ThrowUnknownNumber(const std::type_info& source) {
  QV_THROW(BadCastException, std::string("AnyNumberCast error. unknown number type:") + source.name());
}

void ThrowOutOfRange(const std::type_info& source, const std::type_info& target) {
  QV_THROW(BadCastException, std::string("AnyNumberCast error. out of range value of type:") +
                                 source.name() + ", target type:" + target.name());
}

}  // namespace any_detail
}  // namespace common
}  // namespace quorvel
