#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace teshmar {

// How the settings file was saved: by the console (code page 936), or by Notepad as UTF-8 with
// a byte-order mark or as "Unicode". A file is written back in the encoding it came in.
enum class IniEncoding { Cp936, Utf8Bom, Utf16Le, Utf16Be };

// A private-profile file held as its lines. Lines the console does not touch keep their bytes;
// a line that cannot be decoded is kept as it is and ignored by lookups.
class IniDocument {
 public:
  static IniDocument Parse(std::string_view fileBytes);
  std::string Serialize() const;

  IniEncoding Encoding() const { return encoding_; }

  // Section and key names compare without regard to ASCII letter case; blanks around names and
  // values are ignored; the first matching section, and in it the first matching key, wins.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;

  // Replaces the first matching key's line, or adds the key at the end of the first matching
  // section, or appends the section. Answers false when the text cannot be stored in the
  // file's encoding or would break the one-line format; the document is then unchanged.
  bool Set(std::string_view section, std::string_view key, std::string_view value);

  // Removes every section of that name with all its lines.
  void EraseSection(std::string_view section);

 private:
  struct Line {
    std::string raw;                  // bytes as in the file, line terminator included
    std::optional<std::string> text;  // UTF-8 content without terminator; empty when undecodable
  };
  struct SectionSpan {
    size_t header;
    size_t end;  // one past the section's last line
  };

  std::optional<SectionSpan> FindSection(std::string_view section, size_t from = 0) const;
  std::optional<Line> MakeLine(std::string_view text) const;
  std::optional<std::string> Decode(std::string_view content) const;
  void EnsureLastLineTerminated();

  IniEncoding encoding_ = IniEncoding::Cp936;
  std::string newline_ = "\r\n";
  std::vector<Line> lines_;
};

}  // namespace teshmar
