#include "technic/SafePointerRegistry.h"

#include <cinttypes>
#include <cstdio>

#include "technic/KXRuntimeError.h"

namespace {
const std::size_t kGrowth = 128;
const std::size_t kRefuseGrowthAbove = 20000;
const std::size_t kWarnAbove = 19000;
}  // namespace

SafePointerRegistry::SafePointerRegistry() { grow(); }

SafePointerRegistry::~SafePointerRegistry() {
  for (SafePointerRecord* record : m_records) delete record;
}

SafePointerRegistry& SafePointerRegistry::instance() {
  static SafePointerRegistry* registry = new SafePointerRegistry;
  return *registry;
}

void SafePointerRegistry::grow() {
  std::size_t first = m_records.size();
  for (std::size_t i = 0; i < kGrowth; ++i) m_records.push_back(new SafePointerRecord(static_cast<int>(first + i)));
  m_bitmap.resize(m_bitmap.size() + kGrowth / 32, 0u);
}

bool SafePointerRegistry::isFree(std::size_t index) const {
  return (m_bitmap[index / 32] & (1u << (index % 32))) == 0;
}

std::size_t SafePointerRegistry::firstFreeIn(std::size_t word, std::size_t skipped) const {
  if (m_bitmap[word] != 0xFFFFFFFFu) {
    for (std::size_t index = word * 32; index < word * 32 + 32; ++index) {
      if (index != skipped && isFree(index)) return index;
    }
  }
  return m_records.size();
}

void SafePointerRegistry::setInUse(std::size_t index, bool inUse) {
  std::uint32_t bit = 1u << (index % 32);
  if (inUse) {
    m_bitmap[index / 32] |= bit;
  } else {
    m_bitmap[index / 32] &= ~bit;
  }
}

SafePointerRecord* SafePointerRegistry::allocate(void* pointer, const char* typeName) {
  m_mutex.lock();
  // The search passes over the last released record (the hint): a handle still naming it cannot
  // mistake a new object for its own at once.
  const std::size_t none = m_records.size();
  const std::size_t hintWord = m_hint / 32;
  std::size_t found = firstFreeIn(hintWord, m_hint);
  for (std::size_t word = hintWord + 1; word < m_bitmap.size() && found == none; ++word) found = firstFreeIn(word, none);
  for (std::size_t word = 0; word < hintWord && found == none; ++word) found = firstFreeIn(word, none);
  if (found == m_records.size()) {
    if (m_records.size() > kRefuseGrowthAbove) {
      m_mutex.unlock();
      throw KXRuntimeError("too much safe poniter");
    }
    grow();
  }
  SafePointerRecord* record = m_records[found];
  setInUse(found, true);
  record->count = 1;
  record->pointer = pointer;
  if (m_records.size() > kWarnAbove) {
    std::printf("Warning:too many SafePointer! new %s, pointer = 0x%08" PRIxPTR ", current SafePointor total num = %d\n",
                typeName, reinterpret_cast<std::uintptr_t>(pointer), static_cast<int>(m_records.size()));
  }
  m_mutex.unlock();
  return record;
}

void SafePointerRegistry::release(SafePointerRecord* record, const char* typeName) {
  m_mutex.lock();
  std::size_t index = static_cast<std::size_t>(record->index);
  if (isFree(index)) {
    char text[128];
    std::snprintf(text, sizeof(text), "double free poniter(0x%08" PRIxPTR ")",
                  reinterpret_cast<std::uintptr_t>(record->pointer));
    m_mutex.unlock();
    throw KXRuntimeError(text);
  }
  setInUse(index, false);
  m_hint = static_cast<unsigned>(index);
  if (m_records.size() > kWarnAbove) {
    std::printf("Warning:too many SafePointer! delete %s, pointer = 0x%08" PRIxPTR ", current SafePointor total num = %d\n",
                typeName, reinterpret_cast<std::uintptr_t>(record->pointer), static_cast<int>(m_records.size()));
  }
  record->pointer = nullptr;
  m_mutex.unlock();
}

std::size_t SafePointerRegistry::getRecordCount() {
  m_mutex.lock();
  std::size_t count = m_records.size();
  m_mutex.unlock();
  return count;
}

bool SafePointerRegistry::isInUse(int index) {
  m_mutex.lock();
  bool inUse = index >= 0 && static_cast<std::size_t>(index) < m_records.size() && !isFree(static_cast<std::size_t>(index));
  m_mutex.unlock();
  return inUse;
}
