#pragma once

// Common base of every SafePointer instance.
class SafePointerBase {
 public:
  virtual ~SafePointerBase() = default;
};

// The class name a SafePointer of T prints in its reports ("class GThread"). Every T held in a
// SafePointer names itself with KX_SAFE_POINTER_TYPE_NAME next to its declaration.
template <class T>
struct SafePointerTypeName;

#define KX_SAFE_POINTER_TYPE_NAME(Type, text)         \
  template <>                                         \
  struct SafePointerTypeName<Type> {                  \
    static const char* get() { return text; }         \
  }
