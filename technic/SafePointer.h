#pragma once
#include <cstdio>
#include <string>

#include "technic/KXRuntimeError.h"
#include "technic/SafePointerBase.h"
#include "technic/SafePointerRegistry.h"

// A reference-counted handle whose count lives in a record of the process-wide registry, so that
// misuse (a null object, a handle whose object is gone) is detected and reported: a report prints
// "SafePointer Report:<class> <what>" to standard output and throws it as KXRuntimeError. The last
// handle deletes the object. One handle object is not shared between threads without a lock.
template <class T>
class SafePointer : public SafePointerBase {
 public:
  SafePointer() = default;  // empty: no object, no record
  explicit SafePointer(T* pointer) {
    if (pointer == nullptr) report("Construct from NULL original pointer");
    m_record = SafePointerRegistry::instance().allocate(pointer, typeName());
    m_pointer = pointer;
  }
  SafePointer(const SafePointer& other) : SafePointerBase() {
    if (other.m_pointer == nullptr) report("Construct from NULL <T>pointer");
    other.incReference();
    m_pointer = other.m_pointer;
    m_record = other.m_record;
  }
  SafePointer& operator=(const SafePointer& other) {
    if (&other == this) return *this;
    if (other.m_pointer == nullptr) report("Assigned NULL <T>pointer");
    decReference();
    other.incReference();
    m_pointer = other.m_pointer;
    m_record = other.m_record;
    return *this;
  }
  // A misuse found here is printed, not thrown: an exception leaving a destructor ends the process.
  ~SafePointer() override {
    try {
      decReference();
    } catch (const KXRuntimeError& error) {
      std::printf("SafePointer Report:%s %s\n", typeName(), error.what());
    }
  }

  T* operator->() const {
    if (m_pointer == nullptr) report("Use NULL pointer ->");
    return m_pointer;
  }

  static const char* typeName() { return SafePointerTypeName<T>::get(); }

 private:
  [[noreturn]] static void report(const char* text) {
    std::string message = std::string("SafePointer Report:") + typeName() + " " + text;
    std::printf("%s\n", message.c_str());
    throw KXRuntimeError(message);
  }

  void incReference() const {
    if (m_record == nullptr) report("Already destructed 1");
    if (m_record->mutex.lock() != 0) report("Already destructed 2");
    if (m_record->pointer != m_pointer) {
      m_record->mutex.unlock();
      throw KXRuntimeError("not valid pointer in inc_reference ");
    }
    if (m_record->count == 0) {
      m_record->mutex.unlock();
      report("Already destructed 3");
    }
    ++m_record->count;
    m_record->mutex.unlock();
  }

  void decReference() {
    if (m_pointer == nullptr) return;
    SafePointerRecord* record = m_record;
    record->mutex.lock();
    if (record->pointer != m_pointer) {
      record->mutex.unlock();
      throw KXRuntimeError("not valid pointer in dec_reference");
    }
    if (--record->count == 0) {
      T* object = m_pointer;
      m_pointer = nullptr;
      delete object;
      try {
        SafePointerRegistry::instance().release(record, typeName());
      } catch (...) {
        record->mutex.unlock();
        throw;
      }
    }
    record->mutex.unlock();
  }

  T* m_pointer = nullptr;
  SafePointerRecord* m_record = nullptr;
};
