#pragma once
#include "technic/SafePointer.h"
#include "technic/function_obj_base.h"

// Holds a function object through a SafePointer: copies share it, the last one deletes it.
template <class R>
class function_holder {
 public:
  function_holder() = default;  // holds nothing: calling it reports the misuse
  // Takes ownership of a function object allocated by the caller.
  explicit function_holder(function_obj_base<R>* function) : m_function(function) {}
  virtual ~function_holder() = default;

  function_obj_base<R>* operator->() const { return m_function.operator->(); }
  R call() const { return (*m_function.operator->())(); }

 private:
  SafePointer<function_obj_base<R>> m_function;
};
