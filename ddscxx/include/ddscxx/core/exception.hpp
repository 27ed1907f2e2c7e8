// The exception classes of the C++ DDS layer and the one mapping from C return codes.
// Each class derives from dds::core::Exception and from the matching standard exception;
// they are siblings (none derives from Error), so a handler for Error catches only Error.
#pragma once

#include <dds/dds.h>

#include <stdexcept>
#include <string>

namespace dds::core {

class Exception {
 public:
  virtual ~Exception();
  virtual const char* what() const noexcept = 0;

 protected:
  Exception() = default;
  Exception(const Exception&) = default;
  Exception& operator=(const Exception&) = default;
};

#define DDSCXX_DECLARE_EXCEPTION(Name, StandardBase)                          \
  class Name : public Exception, public StandardBase {                        \
   public:                                                                    \
    explicit Name(const std::string& message) : StandardBase(message) {}      \
    const char* what() const noexcept override { return StandardBase::what(); } \
  }

DDSCXX_DECLARE_EXCEPTION(Error, std::logic_error);
DDSCXX_DECLARE_EXCEPTION(InvalidArgumentError, std::invalid_argument);
DDSCXX_DECLARE_EXCEPTION(TimeoutError, std::runtime_error);
DDSCXX_DECLARE_EXCEPTION(UnsupportedError, std::logic_error);
DDSCXX_DECLARE_EXCEPTION(AlreadyClosedError, std::logic_error);
DDSCXX_DECLARE_EXCEPTION(IllegalOperationError, std::logic_error);
DDSCXX_DECLARE_EXCEPTION(NotEnabledError, std::logic_error);
DDSCXX_DECLARE_EXCEPTION(PreconditionNotMetError, std::logic_error);
DDSCXX_DECLARE_EXCEPTION(ImmutablePolicyError, std::logic_error);
DDSCXX_DECLARE_EXCEPTION(InconsistentPolicyError, std::logic_error);
DDSCXX_DECLARE_EXCEPTION(OutOfResourcesError, std::runtime_error);
DDSCXX_DECLARE_EXCEPTION(InvalidDowncastError, std::runtime_error);
DDSCXX_DECLARE_EXCEPTION(NullReferenceError, std::runtime_error);
DDSCXX_DECLARE_EXCEPTION(InvalidDataError, std::logic_error);

#undef DDSCXX_DECLARE_EXCEPTION

namespace detail {

// Throws the exception class mapped from the (negative) C return code `code`, carrying
// the C library's text for it (dds_strretcode): BAD_PARAMETER InvalidArgumentError,
// TIMEOUT TimeoutError, UNSUPPORTED UnsupportedError, ALREADY_DELETED AlreadyClosedError,
// ILLEGAL_OPERATION IllegalOperationError, NOT_ENABLED NotEnabledError,
// PRECONDITION_NOT_MET PreconditionNotMetError, IMMUTABLE_POLICY ImmutablePolicyError,
// INCONSISTENT_POLICY InconsistentPolicyError, OUT_OF_RESOURCES OutOfResourcesError,
// any other code Error.
[[noreturn]] void throw_error(dds_return_t code);

// Returns `result` (a return code or an entity handle) when it is not negative;
// otherwise throws as throw_error does.
inline dds_return_t check(dds_return_t result) {
  if (result < 0) {
    throw_error(result);
  }
  return result;
}

// Throws NullReferenceError for the use of a handle that holds no entity.
[[noreturn]] void throw_null_reference();

}  // namespace detail
}  // namespace dds::core
