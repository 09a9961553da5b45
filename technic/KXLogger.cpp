#include "technic/KXLogger.h"

#include <cstdio>

#include "technic/DateTime.h"
#include "technic/KXMutexLocker.h"

KXLogger::~KXLogger() { m_file.close(); }

void KXLogger::init(const char* name, int maxSize, int fileCount) {
  m_name = name != nullptr ? name : "";
  m_maxSize = maxSize;
  m_fileCount = fileCount > 0 ? fileCount : 1;  // the rotation index is taken modulo this
  m_initTag = kInitTag;
}

std::string KXLogger::backupName() const { return m_name + "." + std::to_string(m_index + 1); }

void KXLogger::write(const char* tag, const char* text) {
  std::string line = formatDateTime(2) + ",[" + (tag != nullptr ? tag : "") + "] " + (text != nullptr ? text : "") + "\n";
  if (m_initTag != kInitTag) {
    std::printf("Logger is not inition,%s", line.c_str());
    return;
  }
  KXMutexLocker lock(m_mutex, __FILE__, __LINE__);
  if (!m_file.open(m_name.c_str(), StdioFile::kWrite | StdioFile::kCreate)) return;
  if (!rotate()) {
    m_file.close();
    return;
  }
  m_file.write(line.data(), static_cast<int>(line.size()));
  m_file.flush();
  m_file.close();
}

bool KXLogger::rotate() {
  int length = static_cast<int>(static_cast<std::uint32_t>(m_file.getLength()));
  if (length < 0) return false;
  if (static_cast<unsigned>(length) < static_cast<unsigned>(m_maxSize)) return true;
  m_file.close();
  std::string backup = backupName();
  std::remove(backup.c_str());
  std::rename(m_name.c_str(), backup.c_str());
  if (!m_file.open(m_name.c_str(), StdioFile::kWrite | StdioFile::kCreate)) return false;
  m_index = (m_index + 1) % m_fileCount;
  return true;
}

void writeLogLine(const char* path, const char* tag, const char* text, int maxSize, int fileCount) {
  static KXMutex* serialiser = new KXMutex;  // never destroyed: threads may log during exit
  KXMutexLocker lock(*serialiser, __FILE__, __LINE__);
  KXLogger logger;
  logger.init(path, maxSize, fileCount);
  logger.write(tag, text);
}
