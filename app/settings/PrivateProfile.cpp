#include "app/settings/PrivateProfile.h"

#include <vector>

#include "app/settings/WholeFile.h"
#include "platform/DebugOutput.h"

namespace app {
namespace {

struct Line {
  std::string text;    // without its line end
  std::string ending;  // "\n", "\r\n", or "\r" or "" on a last line without a line feed
};

std::string trim(const std::string& text) {
  const char* blanks = " \t\r\n";
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  const auto last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

bool sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

bool readLines(const std::string& file, std::vector<Line>& lines, bool* hadByteOrderMark = nullptr) {
  std::string bytes;
  if (!readWholeFile(file, bytes, hadByteOrderMark)) return false;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const auto end = bytes.find('\n', start);
    Line line;
    if (end == std::string::npos) {
      line.text = bytes.substr(start);
      start = bytes.size();
    } else {
      line.text = bytes.substr(start, end - start);
      line.ending = "\n";
      start = end + 1;
    }
    if (!line.text.empty() && line.text.back() == '\r') {
      line.text.pop_back();
      line.ending = "\r" + line.ending;
    }
    lines.push_back(std::move(line));
  }
  return true;
}

// Section name of a "[name]" line, or false for any other line.
bool sectionName(const std::string& text, std::string& name) {
  const std::string trimmed = trim(text);
  if (trimmed.empty() || trimmed.front() != '[') return false;
  const auto close = trimmed.find(']');
  name = trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

// Key and value of a "key=value" line, or false for comments and lines without "=".
bool keyValue(const std::string& text, std::string& key, std::string& value) {
  const std::string trimmed = trim(text);
  if (trimmed.empty() || trimmed.front() == ';') return false;
  const auto equals = trimmed.find('=');
  if (equals == std::string::npos) return false;
  key = trim(trimmed.substr(0, equals));
  value = trim(trimmed.substr(equals + 1));
  return true;
}

// Index of the first "[section]" line, or lines.size().
std::size_t findSection(const std::vector<Line>& lines, const std::string& section) {
  std::string name;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (sectionName(lines[i].text, name) && sameName(name, section)) return i;
  }
  return lines.size();
}

// Index of the line after the section's last line.
std::size_t sectionEnd(const std::vector<Line>& lines, std::size_t sectionLine) {
  std::string name;
  std::size_t end = sectionLine + 1;
  while (end < lines.size() && !sectionName(lines[end].text, name)) ++end;
  return end;
}

bool findValue(const std::vector<Line>& lines, const std::string& section, const std::string& key,
               std::string& value) {
  const std::size_t sectionLine = findSection(lines, section);
  if (sectionLine == lines.size()) return false;
  const std::size_t end = sectionEnd(lines, sectionLine);
  std::string name;
  for (std::size_t i = sectionLine + 1; i < end; ++i) {
    if (keyValue(lines[i].text, name, value) && sameName(name, key)) return true;
  }
  return false;
}

// Ends the line with a line break when it has none (a last line, or one ended by a lone "\r").
void endLine(Line& line, const std::string& ending) {
  if (line.ending.find('\n') == std::string::npos) line.ending += ending;
}

bool hasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

}  // namespace

int PrivateProfile::getInt(const std::string& section, const std::string& key, int defaultValue,
                           const std::string& file) {
  std::vector<Line> lines;
  std::string value;
  if (!readLines(file, lines) || !findValue(lines, section, key, value) || value.empty()) return defaultValue;
  std::size_t pos = 0;
  bool negative = false;
  if (value[pos] == '-' || value[pos] == '+') negative = value[pos++] == '-';
  long long number = 0;
  while (pos < value.size() && value[pos] >= '0' && value[pos] <= '9') {
    number = number * 10 + (value[pos++] - '0');
    if (number > 0x7FFFFFFFLL) number = 0x80000000LL;  // saturate rather than wrap
  }
  if (negative) number = -number;
  if (number > 0x7FFFFFFFLL) number = 0x7FFFFFFFLL;
  return static_cast<int>(number);
}

std::string PrivateProfile::getString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue, const std::string& file) {
  std::vector<Line> lines;
  std::string value;
  if (!readLines(file, lines) || !findValue(lines, section, key, value)) return defaultValue;
  return value;
}

bool PrivateProfile::writeString(const std::string& section, const std::string& key, const std::string& value,
                                 const std::string& file) {
  if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) || trim(section).empty() ||
      trim(key).empty()) {
    platform::debugOutputFormat("profile: refused to write [%s] %s: a name is empty or a text holds a line break\n",
                                section.c_str(), key.c_str());
    return false;
  }
  std::vector<Line> lines;
  bool byteOrderMark = false;
  readLines(file, lines, &byteOrderMark);  // a missing file starts empty
  const std::string ending = !lines.empty() && lines.front().ending == "\r\n" ? "\r\n" : "\n";
  const Line entry{trim(key) + "=" + trim(value), ending};

  const std::size_t sectionLine = findSection(lines, section);
  if (sectionLine == lines.size()) {
    if (!lines.empty()) endLine(lines.back(), ending);
    lines.push_back(Line{"[" + trim(section) + "]", ending});
    lines.push_back(entry);
  } else {
    const std::size_t end = sectionEnd(lines, sectionLine);
    std::string name, old;
    std::size_t keyLine = end;
    std::size_t lastFilled = sectionLine;
    for (std::size_t i = sectionLine + 1; i < end; ++i) {
      if (!trim(lines[i].text).empty()) lastFilled = i;
      std::string candidate;
      if (keyLine == end && keyValue(lines[i].text, candidate, old) && sameName(candidate, key)) {
        keyLine = i;
        name = candidate;
      }
    }
    if (keyLine != end) {
      lines[keyLine].text = name + "=" + trim(value);  // the key keeps its spelling
    } else {
      endLine(lines[lastFilled], ending);
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastFilled + 1), entry);
    }
  }
  // The mark is kept: dropped, a second one behind it would turn into the file's first bytes.
  std::string content = byteOrderMark ? "\xEF\xBB\xBF" : "";
  for (const Line& line : lines) content += line.text + line.ending;
  if (!replaceWholeFile(file, content)) {
    platform::debugOutputFormat("profile: cannot write %s\n", file.c_str());
    return false;
  }
  return true;
}

}  // namespace app
