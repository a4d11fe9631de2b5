#pragma once
// The binary component stream: "TPF0", the class and object names, one
// record per property (its name, a value-type byte and the value), and two
// closing zeros (end of properties, end of children). A component streams
// what WriteProperties writes and takes back what ReadProperty accepts.
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/Component.h"
#include "toolkit/Streams.h"

namespace ts {

enum TValueType : uint8_t {
  vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaExtended = 5, vaString = 6, vaIdent = 7,
  vaFalse = 8, vaTrue = 9, vaBinary = 10, vaSet = 11, vaLString = 12, vaNil = 13, vaCollection = 14,
  vaSingle = 15, vaCurrency = 16, vaDate = 17, vaWString = 18, vaInt64 = 19, vaUTF8String = 20
};

class TWriter;
class TReader;

// A component whose properties can be streamed.
class IStreamableComponent {
public:
  virtual std::string StreamClassName() const = 0;
  // Writes the property records, in their order.
  virtual void WriteProperties(TWriter& writer) = 0;
  // Reads the value of the named property and applies it; false for a name
  // the component does not know (its value is then skipped).
  virtual bool ReadProperty(TReader& reader, const std::string& name) = 0;

protected:
  ~IStreamableComponent() = default;
};

class TWriter {
public:
  explicit TWriter(TStream& stream) : fStream(stream) {}

  // The whole stream of one component without children.
  void WriteRootComponent(TComponent& component, IStreamableComponent& streamable);

  void WritePropName(const std::string& name) { WriteShortText(name); }
  // The smallest of 8, 16 and 32 bits that holds the value.
  void WriteInteger(int32_t value);
  // UTF-8 (20) when shorter than twice the UTF-16 length and not ASCII, else
  // a long (12) or short (6) ASCII string; otherwise UTF-16 (18).
  void WriteString(const std::wstring& value);
  void WriteIdent(const std::string& ident);
  void WriteBoolean(bool value) { WriteByte(value ? vaTrue : vaFalse); }
  void WriteSet(const std::vector<std::string>& elements);
  void WriteListBegin() { WriteByte(vaList); }
  void WriteListEnd() { WriteByte(vaNull); }

private:
  void WriteByte(uint8_t value) { fStream.WriteBuffer(&value, 1); }
  void WriteShortText(const std::string& text);
  template <typename T>
  void WriteLittleEndian(T value);

  TStream& fStream;
};

class TReader {
public:
  explicit TReader(TStream& stream) : fStream(stream) {}

  // Reads the stream into component: a wrong signature raises "Invalid stream
  // format", a short stream "Stream read error"; what was applied before an
  // error stays applied.
  void ReadRootComponent(TComponent& component, IStreamableComponent& streamable);

  int32_t ReadInteger();
  std::wstring ReadString();
  std::string ReadIdent();
  bool ReadBoolean();
  std::vector<std::string> ReadSet();
  void ReadListBegin();
  bool EndOfList();
  void ReadListEnd();
  // Passes over one value of any type.
  void SkipValue();
  TValueType ReadValueType();
  TValueType PeekValueType();

private:
  // Raises "Stream read error" unless count more bytes are there.
  void Need(int64_t count);
  uint8_t ReadByte();
  std::string ReadShortText();
  std::string ReadBytes(int64_t count);
  template <typename T>
  T ReadLittleEndian();
  void SkipValue(int depth);
  [[noreturn]] static void InvalidValue();

  TStream& fStream;
};

// The property a reader met that the component does not have, or a value
// of the wrong type.
class EFilerError : public EReadError { public: using EReadError::EReadError; };

}  // namespace ts
