#include "technic/KXRuntimeError.h"

KXRuntimeError::KXRuntimeError(const char* message) : m_message(message != nullptr ? message : "") {}

KXRuntimeError::KXRuntimeError(const std::string& message) : m_message(message) {}

KXRuntimeError::~KXRuntimeError() = default;

const char* KXRuntimeError::what() const noexcept { return m_message.c_str(); }
