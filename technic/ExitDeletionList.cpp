#include "technic/ExitDeletionList.h"

ExitDeletionList::~ExitDeletionList() {
  m_mutex.lock();
  for (auto entry = m_entries.rbegin(); entry != m_entries.rend(); ++entry) {
    if (entry->object != nullptr) entry->destroy(entry->object);
  }
  m_entries.clear();
  m_mutex.unlock();
  m_entries.shrink_to_fit();
  m_mutex.close();
}

ExitDeletionList& ExitDeletionList::instance() {
  static ExitDeletionList list;
  return list;
}

void ExitDeletionList::addEntry(void* object, void (*destroy)(void*)) {
  m_mutex.lock();
  m_entries.push_back(Entry{object, destroy});
  m_mutex.unlock();
}
