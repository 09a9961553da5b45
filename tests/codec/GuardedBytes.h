#pragma once
// Bytes placed flush against an inaccessible page, so that any read past their end faults at once,
// in plain builds and inside uninstrumented libraries alike.
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace codectest {

class GuardedBytes {
 public:
  explicit GuardedBytes(const std::string& bytes) {
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t dataPages = (bytes.size() + page - 1) / page + 1;
    m_size = (dataPages + 1) * page;
    void* block = ::mmap(nullptr, m_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) throw std::runtime_error("mmap failed");
    m_block = static_cast<char*>(block);
    char* guard = m_block + dataPages * page;
    if (::mprotect(guard, page, PROT_NONE) != 0) throw std::runtime_error("mprotect failed");
    m_data = guard - bytes.size();
    std::memcpy(m_data, bytes.data(), bytes.size());
    m_length = static_cast<int>(bytes.size());
  }
  ~GuardedBytes() { ::munmap(m_block, m_size); }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;

  const char* data() const { return m_data; }
  int length() const { return m_length; }

 private:
  char* m_block = nullptr;
  size_t m_size = 0;
  char* m_data = nullptr;
  int m_length = 0;
};

}  // namespace codectest
