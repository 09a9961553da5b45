#pragma once
#include <vector>

#include "technic/KXMutexImpl.h"

// Objects deleted when the process ends, the last registered first. The list owns what it is given.
class ExitDeletionList {
 public:
  ExitDeletionList() = default;
  ~ExitDeletionList();  // deletes the entries, last first
  ExitDeletionList(const ExitDeletionList&) = delete;
  ExitDeletionList& operator=(const ExitDeletionList&) = delete;

  // The process-wide list, built on first use; its destructor runs at exit.
  static ExitDeletionList& instance();
  template <class T>
  static void registerAtExit(T* object) {
    instance().add(object);
  }

  template <class T>
  void add(T* object) {
    addEntry(object, [](void* entry) { delete static_cast<T*>(entry); });
  }

 private:
  struct Entry {
    void* object;
    void (*destroy)(void*);
  };
  void addEntry(void* object, void (*destroy)(void*));

  KXMutexImpl m_mutex;
  std::vector<Entry> m_entries;
};
