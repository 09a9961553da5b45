#pragma once
#include "technic/KXMutexImpl.h"

// One slot of the safe-pointer registry: the shared count of one object, under the slot's own mutex.
struct SafePointerRecord {
  explicit SafePointerRecord(int slot) : index(slot) {}

  KXMutexImpl mutex;
  int count = 0;           // handles sharing the object; 1 when the record is handed out
  const int index;         // position in the registry
  void* pointer = nullptr; // the object while the record is in use
};
