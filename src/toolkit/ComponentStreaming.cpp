#include "toolkit/ComponentStreaming.h"

#include <windows.h>

#include <cstring>

#include "toolkit/Exception.h"

namespace ts {

namespace {

constexpr char kSignature[4] = {'T', 'P', 'F', '0'};
// Lists within lists deeper than this are not a stream this program wrote.
constexpr int kMaxNesting = 32;

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring FromCodePage(const std::string& bytes, UINT codePage) {
  if (bytes.empty()) return {};
  const int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

}  // namespace

template <typename T>
void TWriter::WriteLittleEndian(T value) {
  uint8_t bytes[sizeof(T)];
  for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
  fStream.WriteBuffer(bytes, sizeof bytes);
}

void TWriter::WriteShortText(const std::string& text) {
  const size_t length = text.size() > 255 ? 255 : text.size();
  WriteByte(static_cast<uint8_t>(length));
  fStream.WriteBuffer(text.data(), static_cast<int64_t>(length));
}

void TWriter::WriteRootComponent(TComponent& component, IStreamableComponent& streamable) {
  fStream.WriteBuffer(kSignature, sizeof kSignature);
  WriteShortText(streamable.StreamClassName());
  WriteShortText(WideToUtf8(component.GetName()));
  streamable.WriteProperties(*this);
  WriteByte(vaNull);  // end of properties
  WriteByte(vaNull);  // end of children
}

void TWriter::WriteInteger(int32_t value) {
  if (value >= -128 && value <= 127) {
    WriteByte(vaInt8);
    WriteLittleEndian<int8_t>(static_cast<int8_t>(value));
  } else if (value >= -32768 && value <= 32767) {
    WriteByte(vaInt16);
    WriteLittleEndian<int16_t>(static_cast<int16_t>(value));
  } else {
    WriteByte(vaInt32);
    WriteLittleEndian<int32_t>(value);
  }
}

void TWriter::WriteString(const std::wstring& value) {
  const std::string utf8 = ToUtf8(value);
  if (utf8.size() < 2 * value.size()) {
    bool ascii = true;
    for (unsigned char c : utf8) ascii = ascii && c < 128;
    if (!ascii) {
      WriteByte(vaUTF8String);
      WriteLittleEndian<int32_t>(static_cast<int32_t>(utf8.size()));
    } else if (utf8.size() > 255) {
      WriteByte(vaLString);
      WriteLittleEndian<int32_t>(static_cast<int32_t>(utf8.size()));
    } else {
      WriteByte(vaString);
      WriteByte(static_cast<uint8_t>(utf8.size()));
    }
    fStream.WriteBuffer(utf8.data(), static_cast<int64_t>(utf8.size()));
    return;
  }
  WriteByte(vaWString);
  WriteLittleEndian<int32_t>(static_cast<int32_t>(value.size()));
  for (wchar_t c : value) WriteLittleEndian<uint16_t>(static_cast<uint16_t>(c));
}

void TWriter::WriteIdent(const std::string& ident) {
  if (ident == "False") {
    WriteByte(vaFalse);
  } else if (ident == "True") {
    WriteByte(vaTrue);
  } else if (ident == "nil") {
    WriteByte(vaNil);
  } else {
    WriteByte(vaIdent);
    WriteShortText(ident);
  }
}

void TWriter::WriteSet(const std::vector<std::string>& elements) {
  WriteByte(vaSet);
  for (const std::string& element : elements) WriteShortText(element);
  WriteByte(0);
}

void TReader::Need(int64_t count) {
  // Every length is checked against what the stream holds before anything
  // is read or allocated: a cut or damaged file never leads past its end.
  if (count < 0 || count > fStream.Remaining()) throw EReadError(L"Stream read error");
}

uint8_t TReader::ReadByte() {
  Need(1);
  uint8_t value;
  fStream.ReadBuffer(&value, 1);
  return value;
}

template <typename T>
T TReader::ReadLittleEndian() {
  Need(sizeof(T));
  uint8_t bytes[sizeof(T)];
  fStream.ReadBuffer(bytes, sizeof bytes);
  uint64_t value = 0;
  for (size_t i = 0; i < sizeof(T); ++i) value |= static_cast<uint64_t>(bytes[i]) << (8 * i);
  return static_cast<T>(value);
}

std::string TReader::ReadBytes(int64_t count) {
  Need(count);
  std::string bytes(static_cast<size_t>(count), '\0');
  fStream.ReadBuffer(bytes.data(), count);
  return bytes;
}

std::string TReader::ReadShortText() { return ReadBytes(ReadByte()); }

void TReader::InvalidValue() { throw EFilerError(L"Invalid property value"); }

TValueType TReader::ReadValueType() { return static_cast<TValueType>(ReadByte()); }

TValueType TReader::PeekValueType() {
  const int64_t position = fStream.GetPosition();
  const TValueType type = ReadValueType();
  fStream.SetPosition(position);
  return type;
}

void TReader::ReadRootComponent(TComponent& component, IStreamableComponent& streamable) {
  char signature[4];
  Need(sizeof signature);
  fStream.ReadBuffer(signature, sizeof signature);
  if (std::memcmp(signature, kSignature, sizeof signature) != 0) throw EReadError(L"Invalid stream format");
  component.BeginLoading();
  try {
    ReadShortText();  // the class name, not checked
    ReadShortText();  // the object name, not checked
    for (;;) {
      const std::string name = ReadShortText();
      if (name.empty()) break;
      // A property of another version of the program is passed over.
      if (!streamable.ReadProperty(*this, name)) SkipValue();
    }
    ReadByte();  // end of children
  } catch (...) {
    component.EndLoading();
    throw;
  }
  component.EndLoading();
}

int32_t TReader::ReadInteger() {
  switch (ReadValueType()) {
    case vaInt8: return ReadLittleEndian<int8_t>();
    case vaInt16: return ReadLittleEndian<int16_t>();
    case vaInt32: return ReadLittleEndian<int32_t>();
    default: InvalidValue();
  }
}

std::wstring TReader::ReadString() {
  switch (ReadValueType()) {
    case vaString: return FromCodePage(ReadShortText(), CP_ACP);
    case vaLString: return FromCodePage(ReadBytes(ReadLittleEndian<int32_t>()), CP_ACP);
    case vaUTF8String: return FromCodePage(ReadBytes(ReadLittleEndian<int32_t>()), CP_UTF8);
    case vaWString: {
      const int32_t count = ReadLittleEndian<int32_t>();
      Need(count < 0 ? -1 : 2 * static_cast<int64_t>(count));
      std::wstring text(static_cast<size_t>(count), L'\0');
      for (int32_t i = 0; i < count; ++i) text[static_cast<size_t>(i)] = static_cast<wchar_t>(ReadLittleEndian<uint16_t>());
      return text;
    }
    default: InvalidValue();
  }
}

std::string TReader::ReadIdent() {
  switch (ReadValueType()) {
    case vaIdent: return ReadShortText();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: InvalidValue();
  }
}

bool TReader::ReadBoolean() {
  switch (ReadValueType()) {
    case vaTrue: return true;
    case vaFalse: return false;
    default: InvalidValue();
  }
}

std::vector<std::string> TReader::ReadSet() {
  if (ReadValueType() != vaSet) InvalidValue();
  std::vector<std::string> elements;
  for (;;) {
    std::string element = ReadShortText();
    if (element.empty()) break;
    elements.push_back(std::move(element));
  }
  return elements;
}

void TReader::ReadListBegin() {
  if (ReadValueType() != vaList) InvalidValue();
}

bool TReader::EndOfList() { return PeekValueType() == vaNull; }

void TReader::ReadListEnd() {
  if (ReadValueType() != vaNull) InvalidValue();
}

void TReader::SkipValue() { SkipValue(0); }

void TReader::SkipValue(int depth) {
  if (depth > kMaxNesting) throw EReadError(L"Invalid stream format");
  auto skip = [this](int64_t count) {
    Need(count);
    fStream.SetPosition(fStream.GetPosition() + count);
  };
  switch (ReadValueType()) {
    case vaNull: case vaFalse: case vaTrue: case vaNil: return;
    case vaList:
      while (!EndOfList()) SkipValue(depth + 1);
      ReadByte();
      return;
    case vaInt8: skip(1); return;
    case vaInt16: skip(2); return;
    case vaInt32: case vaSingle: skip(4); return;
    case vaExtended: skip(10); return;
    case vaCurrency: case vaDate: case vaInt64: skip(8); return;
    case vaString: case vaIdent: skip(ReadByte()); return;
    case vaBinary: case vaLString: case vaUTF8String: skip(ReadLittleEndian<int32_t>()); return;
    case vaWString: skip(static_cast<int64_t>(ReadLittleEndian<int32_t>()) * 2); return;
    case vaSet:
      while (!ReadShortText().empty()) {
      }
      return;
    case vaCollection:
      // Items of a collection: an optional order value, then properties.
      while (!EndOfList()) {
        const TValueType type = PeekValueType();
        if (type == vaInt8 || type == vaInt16 || type == vaInt32) ReadInteger();
        if (ReadValueType() != vaList) InvalidValue();
        while (!ReadShortText().empty()) SkipValue(depth + 1);
      }
      ReadByte();
      return;
  }
  throw EReadError(L"Invalid stream format");
}

}  // namespace ts
