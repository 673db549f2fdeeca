#include "links/files/IniDocument.h"

#include <set>

#include "common/Cp936.h"
#include "common/TextUtil.h"

namespace teshmar {

namespace {

// The byte-order mark each encoding starts with; code page 936 has none.
std::string_view Bom(IniEncoding e) {
  switch (e) {
    case IniEncoding::Utf8Bom:
      return "\xEF\xBB\xBF";
    case IniEncoding::Utf16Le:
      return "\xFF\xFE";
    case IniEncoding::Utf16Be:
      return "\xFE\xFF";
    case IniEncoding::Cp936:
      break;
  }
  return {};
}

std::string SwapPairs(std::string_view bytes) {
  std::string out(bytes);
  for (size_t i = 0; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
  return out;
}

size_t UnitSize(IniEncoding e) { return (e == IniEncoding::Utf16Le || e == IniEncoding::Utf16Be) ? 2 : 1; }

// Whether the code unit at byte offset i is the ASCII character c.
bool UnitIs(std::string_view bytes, size_t i, IniEncoding e, char c) {
  switch (e) {
    case IniEncoding::Utf16Le:
      return bytes[i] == c && bytes[i + 1] == '\0';
    case IniEncoding::Utf16Be:
      return bytes[i] == '\0' && bytes[i + 1] == c;
    default:
      return bytes[i] == c;
  }
}

// The code unit at byte offset i as a number.
unsigned UnitAt(std::string_view bytes, size_t i, IniEncoding e) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
  switch (e) {
    case IniEncoding::Utf16Le:
      return b(i) | (b(i + 1) << 8);
    case IniEncoding::Utf16Be:
      return (b(i) << 8) | b(i + 1);
    default:
      return b(i);
  }
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

std::string Unquote(std::string value) {
  if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) return value.substr(1, value.size() - 2);
  return value;
}

// Built by appending: GCC 12 warns falsely about a prefix joined with operator+.
std::string Enclosed(char open, std::string_view text, char close) {
  std::string out;
  out.reserve(text.size() + 2);
  out += open;
  out += text;
  out += close;
  return out;
}

// Whether a value written as it is would read back otherwise.
bool NeedsQuotes(std::string_view value) {
  if (value.empty()) return false;
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  return blank(value.front()) || blank(value.back()) ||
         (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front());
}

struct KeyLine {
  std::string key;
  std::string value;
};

std::optional<std::string> HeaderName(const std::string& text) {
  std::string line = TrimControl(text);
  if (line.empty() || line.front() != '[') return std::nullopt;
  size_t close = line.find(']');
  if (close == std::string::npos) return std::nullopt;
  return TrimControl(std::string_view(line).substr(1, close - 1));
}

std::optional<KeyLine> ParseKeyLine(const std::string& text) {
  size_t eq = text.find('=');
  if (eq == std::string::npos) return std::nullopt;
  return KeyLine{TrimControl(std::string_view(text).substr(0, eq)), TrimControl(std::string_view(text).substr(eq + 1))};
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view bytes) {
  IniDocument doc;
  for (IniEncoding e : {IniEncoding::Utf8Bom, IniEncoding::Utf16Le, IniEncoding::Utf16Be}) {
    if (bytes.substr(0, Bom(e).size()) == Bom(e)) {
      doc.encoding_ = e;
      bytes.remove_prefix(Bom(e).size());
      break;
    }
  }
  const size_t unit = UnitSize(doc.encoding_);
  bool newlineSeen = false;
  size_t start = 0;
  const size_t scanEnd = bytes.size() - bytes.size() % unit;
  doc.tail_ = std::string(bytes.substr(scanEnd));
  bytes = bytes.substr(0, scanEnd);
  for (size_t i = 0; i < scanEnd; i += unit) {
    // A line ends at LF, CR LF, or a CR alone (an old Mac editor's), as the profile functions read it.
    const bool lf = UnitIs(bytes, i, doc.encoding_, '\n');
    const bool loneCr = !lf && UnitIs(bytes, i, doc.encoding_, '\r') &&
                        (i + unit >= scanEnd || !UnitIs(bytes, i + unit, doc.encoding_, '\n'));
    if (!lf && !loneCr) continue;
    size_t contentEnd = i;
    bool cr = lf && i >= start + unit && UnitIs(bytes, i - unit, doc.encoding_, '\r');
    if (cr) contentEnd -= unit;
    if (!newlineSeen) {
      doc.newline_ = loneCr ? "\r" : cr ? "\r\n" : "\n";
      newlineSeen = true;
    }
    std::string_view content = bytes.substr(start, contentEnd - start);
    auto text = doc.Decode(content);
    doc.lines_.push_back({std::string(bytes.substr(start, i + unit - start)), text, doc.IsHeader(content)});
    start = i + unit;
  }
  if (start < bytes.size()) {
    std::string_view content = bytes.substr(start);
    auto text = doc.Decode(content);
    doc.lines_.push_back({std::string(content), text, doc.IsHeader(content)});
  }
  return doc;
}

bool IniDocument::BreaksLine(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

std::optional<std::string> IniDocument::Decode(std::string_view content) const {
  std::optional<std::string> text;
  switch (encoding_) {
    case IniEncoding::Cp936:
      text = Cp936ToUtf8(content);
      break;
    case IniEncoding::Utf8Bom:
      if (IsValidUtf8(content)) text = std::string(content);
      break;
    case IniEncoding::Utf16Le:
      text = Utf16LeToUtf8(content);
      break;
    case IniEncoding::Utf16Be:
      text = Utf16LeToUtf8(SwapPairs(content));
      break;
  }
  return text;
}

bool IniDocument::IsHeader(std::string_view raw) const {
  // The brackets on the raw code units decide, whatever lies between them: a name that is not
  // valid text (or hides its "]" in a double-byte character) still ends the section above, so its
  // keys are never taken for keys of that section.
  const size_t unit = UnitSize(encoding_);
  size_t i = 0;
  while (i + unit <= raw.size() && UnitAt(raw, i, encoding_) <= 32) i += unit;
  if (i + unit > raw.size() || UnitAt(raw, i, encoding_) != '[') return false;
  for (i += unit; i + unit <= raw.size(); i += unit) {
    if (UnitAt(raw, i, encoding_) == ']') return true;
  }
  return false;
}

std::string IniDocument::Serialize() const {
  std::string out(Bom(encoding_));
  for (const auto& line : lines_) out += line.raw;
  return out + tail_;
}

std::optional<IniDocument::Line> IniDocument::MakeLine(std::string_view text) const {
  std::string full = std::string(text) + newline_;
  std::optional<std::string> raw;
  switch (encoding_) {
    case IniEncoding::Cp936:
      raw = Utf8ToCp936(full);
      break;
    case IniEncoding::Utf8Bom:
      if (IsValidUtf8(full)) raw = full;
      break;
    case IniEncoding::Utf16Le:
      if (IsValidUtf8(full)) raw = Utf8ToUtf16Le(full);
      break;
    case IniEncoding::Utf16Be:
      if (IsValidUtf8(full)) raw = SwapPairs(Utf8ToUtf16Le(full));
      break;
  }
  if (!raw) return std::nullopt;
  bool header = IsHeader(*raw);
  return Line{std::move(*raw), std::string(text), header};
}

std::optional<IniDocument::SectionSpan> IniDocument::FindSection(std::string_view section, size_t from) const {
  for (size_t i = from; i < lines_.size(); ++i) {
    if (!lines_[i].header || !lines_[i].text) continue;
    auto name = HeaderName(*lines_[i].text);
    if (!name || !EqualsIgnoreAsciiCase(*name, section)) continue;
    size_t end = i + 1;
    while (end < lines_.size() && !lines_[end].header) ++end;
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
  auto span = FindSection(section);
  if (!span) return std::nullopt;
  for (size_t i = span->header + 1; i < span->end; ++i) {
    if (!lines_[i].text) continue;
    auto kv = ParseKeyLine(*lines_[i].text);
    if (kv && EqualsIgnoreAsciiCase(kv->key, key)) return Unquote(kv->value);
  }
  return std::nullopt;
}

bool IniDocument::HasSection(std::string_view section) const { return FindSection(section).has_value(); }

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  for (const auto& line : lines_) {
    if (!line.header || !line.text) continue;
    if (auto name = HeaderName(*line.text)) names.push_back(*name);
  }
  return names;
}

std::vector<IniKey> IniDocument::Keys() const {
  std::vector<IniKey> keys;
  std::set<std::string> seen;  // names folded to lower case, as lookups compare them
  std::optional<std::string> section;  // the section the lines belong to, when a lookup reaches it
  for (const auto& line : lines_) {
    if (line.header) {
      section.reset();
      auto name = line.text ? HeaderName(*line.text) : std::nullopt;
      if (!name) continue;
      std::string folded = *name;
      for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      }
      if (!seen.insert(std::move(folded)).second) continue;
      section = *name;
      continue;
    }
    if (!section || !line.text) continue;
    if (auto kv = ParseKeyLine(*line.text)) keys.push_back({*section, kv->key, Unquote(kv->value)});
  }
  return keys;
}

std::optional<size_t> IniDocument::FirstUndecodableLine() const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (!lines_[i].text) return i + 1;
  }
  if (!tail_.empty()) return lines_.size() + 1;
  return std::nullopt;
}

void IniDocument::EnsureLastLineTerminated() {
  if (lines_.empty()) return;
  std::string& raw = lines_.back().raw;
  const size_t unit = UnitSize(encoding_);
  if (raw.size() >= unit && raw.size() % unit == 0 &&
      (UnitIs(raw, raw.size() - unit, encoding_, '\n') || UnitIs(raw, raw.size() - unit, encoding_, '\r')))
    return;
  // The separator is the newline alone; encoding it cannot fail.
  raw += MakeLine("")->raw;
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (BreaksLine(section) || BreaksLine(key) || BreaksLine(value)) return false;
  // Names that would read back as another section or key.
  if (section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos) return false;
  if (TrimControl(section) != section || TrimControl(key) != key || key.empty() || key.front() == '[') return false;
  std::string stored(value);
  if (NeedsQuotes(value)) stored = Enclosed('"', value, '"');
  auto span = FindSection(section);
  if (span) {
    for (size_t i = span->header + 1; i < span->end; ++i) {
      if (!lines_[i].text) continue;
      auto kv = ParseKeyLine(*lines_[i].text);
      if (!kv || !EqualsIgnoreAsciiCase(kv->key, key)) continue;
      // Already stored: the line keeps its bytes, and the file need not be written at all.
      if (Unquote(kv->value) == value) return true;
      auto line = MakeLine(kv->key + "=" + stored);
      if (!line) return false;
      lines_[i] = std::move(*line);
      return true;
    }
    auto line = MakeLine(std::string(key) + "=" + stored);
    if (!line) return false;
    // New keys go after the section's last non-blank line, so blank lines between sections stay.
    size_t at = span->header + 1;
    for (size_t i = span->header + 1; i < span->end; ++i) {
      if (!lines_[i].text || !TrimControl(*lines_[i].text).empty()) at = i + 1;
    }
    if (at == lines_.size()) EnsureLastLineTerminated();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(*line));
    return true;
  }
  auto header = MakeLine(Enclosed('[', section, ']'));
  auto line = MakeLine(std::string(key) + "=" + stored);
  if (!header || !line) return false;
  EnsureLastLineTerminated();
  lines_.push_back(std::move(*header));
  lines_.push_back(std::move(*line));
  return true;
}

void IniDocument::EraseSection(std::string_view section) {
  while (auto span = FindSection(section)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(span->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(span->end));
  }
}

void IniDocument::EraseSectionsWhere(const std::function<bool(const std::string& name)>& erase) {
  TakeSectionsWhere(erase);
}

IniDocument IniDocument::TakeSectionsWhere(const std::function<bool(const std::string& name)>& take) {
  IniDocument taken = EmptyLike();
  std::vector<Line> kept;
  kept.reserve(lines_.size());
  bool taking = false;
  for (Line& line : lines_) {
    if (line.header) {
      const auto name = line.text ? HeaderName(*line.text) : std::nullopt;
      taking = name && take(*name);
    }
    (taking ? taken.lines_ : kept).push_back(std::move(line));
  }
  lines_ = std::move(kept);
  return taken;
}

IniDocument IniDocument::EmptyLike() const {
  IniDocument empty;
  empty.encoding_ = encoding_;
  empty.newline_ = newline_;
  return empty;
}

bool IniDocument::AppendLine(std::string_view text) {
  if (BreaksLine(text)) return false;
  auto line = MakeLine(text);
  if (!line) return false;
  EnsureLastLineTerminated();
  lines_.push_back(std::move(*line));
  return true;
}

void IniDocument::Append(const IniDocument& other) {
  for (const Line& line : other.lines_) {
    EnsureLastLineTerminated();
    if (other.encoding_ == encoding_ || !line.text) {
      lines_.push_back(line);  // byte for byte; a line that is not text has no other form
    } else if (auto remade = MakeLine(*line.text)) {
      lines_.push_back(std::move(*remade));
    } else {
      lines_.push_back(line);
    }
  }
}

bool IniDocument::EndsWith(const IniDocument& other) const {
  if (other.lines_.size() > lines_.size()) return false;
  const size_t from = lines_.size() - other.lines_.size();
  for (size_t i = 0; i < other.lines_.size(); ++i) {
    const Line& mine = lines_[from + i];
    const Line& theirs = other.lines_[i];
    if (encoding_ == other.encoding_ ? mine.raw != theirs.raw : mine.text != theirs.text) return false;
  }
  return true;
}

}  // namespace teshmar
