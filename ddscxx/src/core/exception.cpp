#include "ddscxx/core/exception.hpp"

namespace dds::core {

Exception::~Exception() = default;

namespace detail {

void throw_error(dds_return_t code) {
  const std::string text = dds_strretcode(code);
  switch (code) {
    case DDS_RETCODE_BAD_PARAMETER:
      throw InvalidArgumentError(text);
    case DDS_RETCODE_TIMEOUT:
      throw TimeoutError(text);
    case DDS_RETCODE_UNSUPPORTED:
      throw UnsupportedError(text);
    case DDS_RETCODE_ALREADY_DELETED:
      throw AlreadyClosedError(text);
    case DDS_RETCODE_ILLEGAL_OPERATION:
      throw IllegalOperationError(text);
    case DDS_RETCODE_NOT_ENABLED:
      throw NotEnabledError(text);
    case DDS_RETCODE_PRECONDITION_NOT_MET:
      throw PreconditionNotMetError(text);
    case DDS_RETCODE_IMMUTABLE_POLICY:
      throw ImmutablePolicyError(text);
    case DDS_RETCODE_INCONSISTENT_POLICY:
      throw InconsistentPolicyError(text);
    case DDS_RETCODE_OUT_OF_RESOURCES:
      throw OutOfResourcesError(text);
    default:
      throw Error(text);
  }
}

void throw_null_reference() { throw NullReferenceError("use of a nil entity handle"); }

}  // namespace detail
}  // namespace dds::core
