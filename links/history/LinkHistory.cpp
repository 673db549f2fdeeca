#include "links/history/LinkHistory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace teshmar {

namespace {

constexpr const char* kBom = "\xEF\xBB\xBF";
constexpr size_t kFieldCount = 5;
// Enough to see the whole of any line this history writes.
constexpr size_t kTailBytes = 64 * 1024;
constexpr const char* kCutLineNote = "（此行不完整）";

const std::vector<std::string>& Heading() {
  static const std::vector<std::string> heading{"时间", "序号", "客户名称", "状态", "错误信息"};
  return heading;
}

}  // namespace

std::string FormatHistoryTime(int year, int month, int day, int hour, int minute, int second, int offsetMinutes) {
  const char sign = offsetMinutes < 0 ? '-' : '+';
  const int offset = std::abs(offsetMinutes);
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", year, month, day, hour, minute, second,
                sign, offset / 60, offset % 60);
  return text;
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    std::string_view field = fields[i];
    bool cut = false;
    if (field.size() > kMaxFieldBytes) {
      // Cut between two characters, never inside one.
      size_t end = kMaxFieldBytes;
      while (end > 0 && (static_cast<unsigned char>(field[end]) & 0xC0) == 0x80) --end;
      field = field.substr(0, end);
      cut = true;
    }
    line += '"';
    // A spreadsheet would take the field for a formula.
    if (!field.empty() && std::string_view("=+-@").find(field.front()) != std::string_view::npos) line += '\'';
    for (char c : field) {
      if (c == '"') line += '"';
      const auto byte = static_cast<unsigned char>(c);
      line += byte < 0x20 || byte == 0x7F ? ' ' : c;  // one record, one line, no control characters
    }
    if (cut) line += "…";
    line += '"';
  }
  return line + "\r\n";
}

std::vector<std::vector<std::string>> ReadHistoryRecords(const std::string& bytes) {
  std::vector<std::vector<std::string>> records;
  size_t at = bytes.compare(0, 3, kBom) == 0 ? 3 : 0;
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false;
  while (at < bytes.size()) {
    const char c = bytes[at++];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (at < bytes.size() && bytes[at] == '"') {
        field += '"';
        ++at;
      } else {
        quoted = false;
      }
      continue;
    }
    if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.push_back(std::move(field));
      field.clear();
    } else if (c == '\n') {
      if (!field.empty() && field.back() == '\r') field.pop_back();
      fields.push_back(std::move(field));
      field.clear();
      if (fields.size() == kFieldCount && fields != Heading()) records.push_back(fields);
      fields.clear();
    } else {
      field += c;
    }
  }
  // Whatever follows the last line end is a line cut off: not a record.
  return records;
}

void LinkHistory::NoteStart() { Write({{clock_.Now(), "", "", kStarted, ""}}); }

void LinkHistory::NoteEnd() { Write({{clock_.Now(), "", "", kEnded, ""}}); }

void LinkHistory::NoteState(int entryNo, const std::string& customerName, bool connected, const std::string& error) {
  NoteStates({{entryNo, customerName, connected, error}});
}

void LinkHistory::NoteStates(const std::vector<StateNote>& notes) {
  std::vector<const StateNote*> changes;
  for (const StateNote& note : notes) {
    auto known = last_.find(note.entryNo);
    if (known == last_.end() || known->second != note.connected) changes.push_back(&note);
  }
  if (changes.empty()) return;
  std::vector<std::vector<std::string>> records;
  records.reserve(changes.size());
  const std::string now = clock_.Now();
  for (const StateNote* note : changes) {
    records.push_back({now, std::to_string(note->entryNo), note->customerName, note->connected ? "连接" : "断开",
                       note->error});
  }
  const size_t written = Write(records);
  for (size_t i = 0; i < written; ++i) last_[changes[i]->entryNo] = changes[i]->connected;
}

namespace {

// What goes before the first line appended to a file of that size and tail: the byte-order mark
// and the column line for a new file, or the end of a line cut off by a crash.
std::string OpeningOf(uint64_t size, const std::string& tail) {
  if (size == 0) return kBom + CsvLine(Heading());
  if (!tail.empty() && tail.back() == '\r') return "\n";  // cut between the two bytes of a line end: the line is whole
  if (tail.empty() || tail.back() == '\n') return {};
  // A line cut off by a crash. Closing an open quote keeps it from swallowing the next line, and
  // the fields added give it more than a record's five, so readers pass over it.
  std::string bytes;
  const size_t lineStart = tail.find_last_of('\n');
  const std::string cut = lineStart == std::string::npos ? tail : tail.substr(lineStart + 1);
  if (std::count(cut.begin(), cut.end(), '"') % 2 != 0) bytes += '"';
  bytes += ",\"" + std::string(kCutLineNote) + "\",\"\",\"\",\"\",\"\"\r\n";
  return bytes;
}

}  // namespace

size_t LinkHistory::Write(const std::vector<std::vector<std::string>>& records) {
  try {
    uint64_t size = 0;
    std::string tail;
    if (!file_.Inspect(size, tail, kTailBytes)) return 0;  // held by another program for now
    std::string bytes;  // still to append to the file as it stands
    size_t pending = 0;  // records in `bytes`
    size_t written = 0;
    bool begun = false;  // the file's end made ready for lines
    for (const auto& fields : records) {
      const std::string line = CsvLine(fields);
      if (size + bytes.size() > 0 && size + bytes.size() + line.size() > kLimit) {
        // The file is full: what is pending goes into it first, then it becomes the older one.
        if (!bytes.empty()) {
          if (!file_.Append(bytes)) return written;
          size += bytes.size();
          written += pending;
          bytes.clear();
          pending = 0;
        }
        if (file_.Rotate()) {
          size = 0;
          tail.clear();
          begun = false;
        }
      }
      if (!begun) {
        bytes += OpeningOf(size, tail);
        begun = true;
      }
      bytes += line;
      ++pending;
    }
    if (!bytes.empty() && file_.Append(bytes)) written += pending;
    return written;
  } catch (...) {
    return 0;  // the history never disturbs the console
  }
}

}  // namespace teshmar
