#pragma once
#include <exception>
#include <string>

// The exception type of the utility layer (misuse of safe pointers).
class KXRuntimeError : public std::exception {
 public:
  explicit KXRuntimeError(const char* message);  // a null message gives an empty one
  explicit KXRuntimeError(const std::string& message);
  ~KXRuntimeError() override;
  const char* what() const noexcept override;

 private:
  std::string m_message;
};
