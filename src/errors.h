// The errors that may reach the top of the program unguarded, and the report
// that ends a run on one. Each error carries its class name, its message and
// the code address at which it was raised.
#ifndef TARNWELL_SRC_ERRORS_H_
#define TARNWELL_SRC_ERRORS_H_

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

class Exception : public std::exception {
 public:
  Exception(const char* class_name, std::string message, const void* raise_address)
      : class_name_(class_name), message_(std::move(message)), raise_address_(raise_address) {}

  const char* ClassName() const { return class_name_; }
  const std::string& Message() const { return message_; }
  const void* RaiseAddress() const { return raise_address_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  const char* class_name_;
  std::string message_;
  const void* raise_address_;
};

// Each Raise throws its error, recording the address of its caller as the
// place the error was raised.
class ERegistryException : public Exception {
 public:
  using Exception::Exception;
  [[noreturn]] static void Raise(const std::string& message);
};

class EFCreateError : public Exception {
 public:
  using Exception::Exception;
  [[noreturn]] static void Raise(const std::string& message);
};

class EWriteError : public Exception {
 public:
  using Exception::Exception;
  [[noreturn]] static void Raise(const std::string& message);
};

// The code address its caller returns to: where an error of a foreign class,
// whose raising place is unknown, was caught.
const void* CallerAddress();

// The report that ends a run on an unguarded error, cut to 1,023 bytes.
std::string ErrorReport(const Exception& error, const std::string& module_name,
                        uintptr_t code_offset);

// Writes the report of `error` to standard error, naming the executable and
// the raising place within it; the exit status of such a run.
int EndWithReport(const Exception& error);

#endif  // TARNWELL_SRC_ERRORS_H_
