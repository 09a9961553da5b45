#pragma once
#include "technic/SafePointerBase.h"

// A parameterless operation returning R, called through its call operator.
template <class R>
class function_obj_base {
 public:
  virtual ~function_obj_base() = default;
  virtual R operator()() = 0;
};

KX_SAFE_POINTER_TYPE_NAME(function_obj_base<int>, "class function_obj_base<int>");
