#pragma once
#include <cstdint>
#include <string>

#include "technic/KXMutex.h"
#include "technic/StdioFile.h"

// A size-limited text log: one time-stamped, tagged line per write,
//   "YYYY-MM-DD hh:mm:ss,[tag] text\n"
// and, once the file has reached its size limit, a rename to a numbered backup before the next line.
class KXLogger {
 public:
  KXLogger() = default;
  ~KXLogger();
  KXLogger(const KXLogger&) = delete;
  KXLogger& operator=(const KXLogger&) = delete;

  // Stores the log's path, size limit in bytes and number of backups (at least 1); opens nothing.
  void init(const char* name, int maxSize, int fileCount);
  std::string backupName() const;  // name + "." + (index + 1)
  // Appends one line; lost silently when the file cannot be opened or rotated. Before init the line
  // goes to standard output after "Logger is not inition,".
  void write(const char* tag, const char* text);

 private:
  bool rotate();

  static constexpr std::uint32_t kInitTag = 0x99887766u;

  StdioFile m_file;
  std::string m_name;
  int m_fileCount = 0;
  int m_maxSize = 0;
  int m_index = 0;
  KXMutex m_mutex;
  std::uint32_t m_initTag = 0;
};

// Writes one line through a logger made for it. Calls from several threads are serialised, so that two
// rotations of one log never run at once (which would lose the backup).
void writeLogLine(const char* path, const char* tag, const char* text, int maxSize, int fileCount);
