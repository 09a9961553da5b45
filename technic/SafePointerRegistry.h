#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "technic/KXMutexImpl.h"
#include "technic/SafePointerRecord.h"

// The process-wide table of safe-pointer records. Records are never freed, so a handle can always look
// at its record and tell a live object from one already destroyed. Grows by 128 records, up to a
// little over 20000.
class SafePointerRegistry {
 public:
  SafePointerRegistry();  // 128 free records; the process uses `instance`, tests may build their own
  ~SafePointerRegistry();
  SafePointerRegistry(const SafePointerRegistry&) = delete;
  SafePointerRegistry& operator=(const SafePointerRegistry&) = delete;

  static SafePointerRegistry& instance();  // built on first use, never destroyed

  // A free record holding the object with count 1. Throws KXRuntimeError "too much safe poniter" when
  // none is free and the table cannot grow any more.
  SafePointerRecord* allocate(void* pointer, const char* typeName);
  // Frees the record. Throws KXRuntimeError "double free poniter(0x...)" for a record not in use.
  void release(SafePointerRecord* record, const char* typeName);

  std::size_t getRecordCount();
  bool isInUse(int index);

 private:
  void grow();
  bool isFree(std::size_t index) const;
  // The first free record of a bitmap word other than `skipped`; the record count when there is none.
  std::size_t firstFreeIn(std::size_t word, std::size_t skipped) const;
  void setInUse(std::size_t index, bool inUse);

  std::vector<SafePointerRecord*> m_records;
  std::vector<std::uint32_t> m_bitmap;
  KXMutexImpl m_mutex;
  unsigned m_hint = 0;
};
