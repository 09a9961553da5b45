#pragma once
#include "technic/function_obj_base.h"

// A plain function as a function object.
template <class R>
class free_function_obj : public function_obj_base<R> {
 public:
  using Function = R (*)();
  explicit free_function_obj(Function function) : m_function(function) {}
  R operator()() override { return m_function(); }

 private:
  Function m_function;
};
