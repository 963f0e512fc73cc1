#include "platform/ini_file.h"

#include <cerrno>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/text_codec.h"

// The file is handled as lines of its own bytes rather than through an INI
// library: a library such as SimpleIni keeps a model of the file and writes
// the model back, which trims every value (" 10" loses the blank the program
// writes before numbers), drops comments after the last key and turns CR LF
// into the platform's line end. Reading uses the same lines, so a read always
// finds the key a write changed.

namespace tolvane {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && Cp1252Upper(a) == Cp1252Upper(b);
}

// One line of the file and what it holds.
struct Line {
  enum class Kind { kOther, kSection, kKey };
  Kind kind = Kind::kOther;
  size_t begin = 0;
  size_t end = 0;   // end of the text, before the line break
  size_t next = 0;  // start of the following line
  size_t value_begin = 0;
  std::string_view name;  // section or key name, without blanks
  std::string_view value;
};

std::vector<Line> SplitLines(std::string_view content) {
  std::vector<Line> lines;
  size_t begin = 0;
  while (begin < content.size()) {
    Line line;
    line.begin = begin;
    const size_t newline = content.find('\n', begin);
    line.next = newline == std::string_view::npos ? content.size() : newline + 1;
    line.end = newline == std::string_view::npos ? content.size() : newline;
    if (line.end > begin && content[line.end - 1] == '\r') --line.end;
    const std::string_view text = content.substr(begin, line.end - begin);
    const std::string_view trimmed = Trim(text);
    const size_t close = trimmed.find(']');
    const size_t equals = text.find('=');
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') {
      // A comment or blank line.
    } else if (trimmed.front() == '[' && close != std::string_view::npos) {
      line.kind = Line::Kind::kSection;
      line.name = Trim(trimmed.substr(1, close - 1));
    } else if (equals != std::string_view::npos && !Trim(text.substr(0, equals)).empty()) {
      line.kind = Line::Kind::kKey;
      line.name = Trim(text.substr(0, equals));
      line.value_begin = begin + equals + 1;
      line.value = Trim(text.substr(equals + 1));
    }
    lines.push_back(line);
    begin = line.next;
  }
  return lines;
}

// The lines of the first section of that name: [first, last) indexes after
// its header; nullopt when there is none.
struct SectionRange {
  size_t header;
  size_t first;
  size_t last;
};
std::optional<SectionRange> FindSection(const std::vector<Line>& lines, std::string_view name) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != Line::Kind::kSection || !SameName(lines[i].name, name)) continue;
    size_t last = i + 1;
    while (last < lines.size() && lines[last].kind != Line::Kind::kSection) ++last;
    return SectionRange{i, i + 1, last};
  }
  return std::nullopt;
}

std::optional<size_t> FindKey(const std::vector<Line>& lines, const SectionRange& section,
                              std::string_view key) {
  for (size_t i = section.first; i < section.last; ++i) {
    if (lines[i].kind == Line::Kind::kKey && SameName(lines[i].name, key)) return i;
  }
  return std::nullopt;
}

// The whole file; an empty text for a missing one, nullopt when it cannot be read.
std::optional<std::string> ReadAll(const std::string& path) {
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (errno == ENOENT) return std::string();
    return std::nullopt;
  }
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return content.str();
}

// The line end the file uses, judged by its first line.
std::string_view LineEndOf(std::string_view content) {
  const size_t newline = content.find('\n');
  if (newline != std::string_view::npos && (newline == 0 || content[newline - 1] != '\r')) {
    return "\n";
  }
  return "\r\n";
}

// Sets the entry's value in `content`, the file's text.
void SetValue(std::string& content, const std::string& line_end, const IniFile::Entry& entry) {
  const std::vector<Line> lines = SplitLines(content);
  // Text inserted at `at`; a last line without its line break gets one first.
  // A last line ending in a lone CR is only given its LF: another CR before
  // the new break would become part of that line's value.
  auto insert = [&](size_t at, std::string text) {
    if (at == content.size() && !content.empty() && content.back() != '\n') {
      text.insert(0, content.back() == '\r' ? "\n" : line_end);
    }
    content.insert(at, text);
  };
  const std::string key_line = entry.key + "=" + entry.value + line_end;
  if (const auto range = FindSection(lines, entry.section)) {
    if (const auto index = FindKey(lines, *range, entry.key)) {
      const Line& line = lines[*index];
      content.replace(line.value_begin, line.end - line.value_begin, entry.value);
    } else {
      // After the section's last key, so that comments heading the next
      // section stay with it.
      size_t after = range->header;
      for (size_t i = range->first; i < range->last; ++i) {
        if (lines[i].kind == Line::Kind::kKey) after = i;
      }
      insert(lines[after].next, key_line);
    }
  } else {
    insert(content.size(), "[" + entry.section + "]" + line_end + key_line);
  }
}

}  // namespace

std::string IniFile::ReadString(const std::string& path, const std::string& section,
                                const std::string& key, const std::string& default_value) {
  std::string result = default_value;
  if (const std::optional<std::string> content = ReadAll(path)) {
    const std::vector<Line> lines = SplitLines(*content);
    if (const auto range = FindSection(lines, section)) {
      if (const auto index = FindKey(lines, *range, key)) result = lines[*index].value;
    }
  }
  if (result.size() > kMaxValueLength) result.resize(kMaxValueLength);
  return result;
}

bool IniFile::WriteString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& value) {
  return WriteStrings(path, {{section, key, value}});
}

bool IniFile::WriteStrings(const std::string& path, const std::vector<Entry>& entries) {
  for (const Entry& entry : entries) {
    if (entry.value.find_first_of("\r\n") != std::string::npos) return false;
  }
  std::optional<std::string> read = ReadAll(path);
  if (!read) return false;
  std::string& content = *read;
  const std::string line_end(LineEndOf(content));
  for (const Entry& entry : entries) SetValue(content, line_end, entry);
  return WriteFileAtomically(path, content);
}

}  // namespace tolvane
