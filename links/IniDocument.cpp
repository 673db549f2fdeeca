#include "links/IniDocument.h"

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

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

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
  // A trailing odd byte of a UTF-16 file is kept in the last line's raw bytes.
  const size_t scanEnd = bytes.size() - bytes.size() % unit;
  for (size_t i = 0; i < scanEnd; i += unit) {
    if (!UnitIs(bytes, i, doc.encoding_, '\n')) continue;
    size_t contentEnd = i;
    bool cr = i >= start + unit && UnitIs(bytes, i - unit, doc.encoding_, '\r');
    if (cr) contentEnd -= unit;
    if (!newlineSeen) {
      doc.newline_ = cr ? "\r\n" : "\n";
      newlineSeen = true;
    }
    std::string_view content = bytes.substr(start, contentEnd - start);
    doc.lines_.push_back({std::string(bytes.substr(start, i + unit - start)), doc.Decode(content)});
    start = i + unit;
  }
  if (start < bytes.size()) {
    std::string_view content = bytes.substr(start);
    doc.lines_.push_back({std::string(content), doc.Decode(content)});
  }
  return doc;
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

std::string IniDocument::Serialize() const {
  std::string out(Bom(encoding_));
  for (const auto& line : lines_) out += line.raw;
  return out;
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
  return Line{*raw, std::string(text)};
}

std::optional<IniDocument::SectionSpan> IniDocument::FindSection(std::string_view section, size_t from) const {
  for (size_t i = from; i < lines_.size(); ++i) {
    if (!lines_[i].text) continue;
    auto name = HeaderName(*lines_[i].text);
    if (!name || !EqualsIgnoreAsciiCase(*name, section)) continue;
    size_t end = i + 1;
    while (end < lines_.size() && !(lines_[end].text && HeaderName(*lines_[end].text))) ++end;
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
    if (kv && EqualsIgnoreAsciiCase(kv->key, key)) return kv->value;
  }
  return std::nullopt;
}

void IniDocument::EnsureLastLineTerminated() {
  if (lines_.empty()) return;
  std::string& raw = lines_.back().raw;
  const size_t unit = UnitSize(encoding_);
  if (raw.size() >= unit && raw.size() % unit == 0 && UnitIs(raw, raw.size() - unit, encoding_, '\n')) return;
  // The separator is the newline alone; encoding it cannot fail.
  raw += MakeLine("")->raw;
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
  auto span = FindSection(section);
  if (span) {
    for (size_t i = span->header + 1; i < span->end; ++i) {
      if (!lines_[i].text) continue;
      auto kv = ParseKeyLine(*lines_[i].text);
      if (!kv || !EqualsIgnoreAsciiCase(kv->key, key)) continue;
      auto line = MakeLine(kv->key + "=" + std::string(value));
      if (!line) return false;
      lines_[i] = std::move(*line);
      return true;
    }
    auto line = MakeLine(std::string(key) + "=" + std::string(value));
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
  auto header = MakeLine("[" + std::string(section) + "]");
  auto line = MakeLine(std::string(key) + "=" + std::string(value));
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

}  // namespace teshmar
