#pragma once
// The INI-file class over the platform's private-profile functions: every
// read and every write goes to the file at once; nothing is cached.
#include <string>

#include "toolkit/Exception.h"
#include "toolkit/StringList.h"

namespace ts {

class EIniFileException : public Exception {
public:
  using Exception::Exception;
};

class TIniFile : public TObject {
  TS_CLASS(TIniFile, TObject)

public:
  explicit TIniFile(std::wstring FileName) : fFileName(std::move(FileName)) {}

  const std::wstring& GetFileName() const noexcept { return fFileName; }

  // At most 2047 characters; Default when the key is missing.
  std::wstring ReadString(const std::wstring& Section, const std::wstring& Ident, const std::wstring& Default) const;
  // Decimal, "0x" (from three characters on) or "$" hexadecimal; Default for
  // anything else.
  int ReadInteger(const std::wstring& Section, const std::wstring& Ident, int Default) const;
  // The integer rule, non-zero meaning true.
  bool ReadBool(const std::wstring& Section, const std::wstring& Ident, bool Default) const;
  // Raise EIniFileException ("Unable to write to <file>") when the platform
  // cannot write the file.
  void WriteString(const std::wstring& Section, const std::wstring& Ident, const std::wstring& Value);
  void WriteInteger(const std::wstring& Section, const std::wstring& Ident, int Value);
  void WriteBool(const std::wstring& Section, const std::wstring& Ident, bool Value);

  bool ValueExists(const std::wstring& Section, const std::wstring& Ident) const;
  bool SectionExists(const std::wstring& Section) const;
  // The key names of a section, in file order.
  void ReadSection(const std::wstring& Section, TStringList& Strings) const;
  // The lines of a section ("name=value"), in file order.
  void ReadSectionValues(const std::wstring& Section, TStringList& Strings) const;
  // Replaces the lines of a section by the given "name=value" lines, in one
  // write; raises EIniFileException when the file cannot be written.
  void WriteSectionValues(const std::wstring& Section, const TStringList& Strings);
  void EraseSection(const std::wstring& Section);
  void DeleteKey(const std::wstring& Section, const std::wstring& Ident);

  // The integer rule on a text, for values read otherwise.
  static bool ParseInteger(const std::wstring& text, int& value);

private:
  [[noreturn]] void WriteError() const;
  void EnsureUnicodeFile();

  std::wstring fFileName;
};

}  // namespace ts
