#pragma once
#include "technic/function_obj_base.h"

// A member function bound to its object, as a function object. The object must outlive it.
template <class R, class C>
class member_function_obj : public function_obj_base<R> {
 public:
  using Function = R (C::*)();
  member_function_obj(Function function, C* object) : m_function(function), m_object(object) {}
  R operator()() override { return (m_object->*m_function)(); }

 private:
  Function m_function;
  C* m_object;
};
