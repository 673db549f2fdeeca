#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace teshmar {

// How the settings file was saved: by the console (code page 936), or by Notepad as UTF-8 with
// a byte-order mark or as "Unicode". A file is written back in the encoding it came in.
enum class IniEncoding { Cp936, Utf8Bom, Utf16Le, Utf16Be };

// One key line as lookups see it.
struct IniKey {
  std::string section;
  std::string key;
  std::string value;
};

// A private-profile file held as its lines. Lines the console does not touch keep their bytes;
// a line that cannot be decoded is kept as it is and ignored by lookups. A line whose first
// character is "[" and that holds a "]" is a section header whatever lies between, so it always
// ends the section above it; a lookup finds only a header whose name is valid text.
class IniDocument {
 public:
  static IniDocument Parse(std::string_view fileBytes);
  std::string Serialize() const;

  IniEncoding Encoding() const { return encoding_; }

  // Section and key names compare without regard to ASCII letter case; blanks around names and
  // values are ignored; the first matching section, and in it the first matching key, wins. A
  // value enclosed in a pair of the same quotation marks, single or double, reads without them,
  // as the platform's profile functions read it.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;

  // Replaces the first matching key's line, or adds the key at the end of the first matching
  // section, or appends the section. A key that already holds the value is left as it is. A
  // value is written as it is, unless it would not read back so (blanks at its ends, or a pair
  // of quotation marks around it): then it is written in double quotation marks. Answers false
  // when the text cannot be stored in the file's encoding or would break the one-line format;
  // the document is then unchanged.
  bool Set(std::string_view section, std::string_view key, std::string_view value);

  // Whether Set could store the text as a value in the file's encoding, on one line.
  bool CanHold(std::string_view text) const { return !BreaksLine(text) && MakeLine(text).has_value(); }

  bool HasSection(std::string_view section) const;
  // The names of the readable section headers, in file order, repeats included.
  std::vector<std::string> SectionNames() const;
  // Every key that a lookup can reach (the first section of each name), in file order.
  std::vector<IniKey> Keys() const;
  // The 1-based number of the first line that is not valid text in the file's encoding (one past
  // the last line for a stray byte at the end of a UTF-16 file); nothing when all of it is.
  std::optional<size_t> FirstUndecodableLine() const;

  // Removes every section of that name with all its lines.
  void EraseSection(std::string_view section);
  // Removes, in one pass, every section whose readable name the predicate holds for.
  void EraseSectionsWhere(const std::function<bool(const std::string& name)>& erase);
  // The same, handing the removed sections back: a document of this encoding holding their
  // lines byte for byte.
  IniDocument TakeSectionsWhere(const std::function<bool(const std::string& name)>& take);

  // An empty document of this one's encoding and line ends.
  IniDocument EmptyLike() const;
  bool Empty() const { return lines_.empty() && tail_.empty(); }
  // Adds a line of text (a comment) at the end; false when the encoding cannot hold it.
  bool AppendLine(std::string_view text);
  // Adds another document's lines at the end: byte for byte in the same encoding, else as their text.
  void Append(const IniDocument& other);
  // Whether the last lines are the other document's lines.
  bool EndsWith(const IniDocument& other) const;

 private:
  struct Line {
    std::string raw;                  // bytes as in the file, line terminator included
    std::optional<std::string> text;  // UTF-8 content without terminator; empty when undecodable
    bool header = false;
  };
  struct SectionSpan {
    size_t header;
    size_t end;  // one past the section's last line
  };

  std::optional<SectionSpan> FindSection(std::string_view section, size_t from = 0) const;
  std::optional<Line> MakeLine(std::string_view text) const;
  static bool BreaksLine(std::string_view text);
  std::optional<std::string> Decode(std::string_view content) const;
  bool IsHeader(std::string_view raw) const;
  void EnsureLastLineTerminated();

  IniEncoding encoding_ = IniEncoding::Cp936;
  std::string newline_ = "\r\n";
  std::vector<Line> lines_;
  // The odd byte at the end of a UTF-16 file. It stays the file's last byte, after any line
  // added, so that every line keeps whole code units and reads back.
  std::string tail_;
};

}  // namespace teshmar
