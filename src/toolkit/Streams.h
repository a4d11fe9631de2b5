#pragma once
// Byte streams: the base with exact reads (a read past the end raises
// "Stream read error"), a stream in memory, and a stream on a file.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/Exception.h"
#include "toolkit/Object.h"

namespace ts {

class EStreamError : public Exception { public: using Exception::Exception; };
class EReadError : public EStreamError { public: using EStreamError::EStreamError; };
class EWriteError : public EStreamError { public: using EStreamError::EStreamError; };
class EFCreateError : public EStreamError { public: using EStreamError::EStreamError; };
class EFOpenError : public EStreamError { public: using EStreamError::EStreamError; };

class TStream : public TObject {
  TS_CLASS(TStream, TObject)

public:
  // Answer how many bytes were moved.
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  virtual int64_t GetSize() = 0;
  virtual int64_t GetPosition() = 0;
  virtual void SetPosition(int64_t position) = 0;

  // Exactly count bytes, or EReadError / EWriteError.
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);
  int64_t Remaining() { return GetSize() - GetPosition(); }
};

class TMemoryStream : public TStream {
  TS_CLASS(TMemoryStream, TStream)

public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : fBytes(std::move(bytes)) {}

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t GetSize() override { return static_cast<int64_t>(fBytes.size()); }
  int64_t GetPosition() override { return fPosition; }
  void SetPosition(int64_t position) override;
  const std::vector<uint8_t>& Bytes() const noexcept { return fBytes; }

private:
  std::vector<uint8_t> fBytes;
  int64_t fPosition = 0;
};

enum TFileStreamMode : uint8_t { fmCreate, fmOpenRead, fmOpenReadWrite };

class TFileStream : public TStream {
  TS_CLASS(TFileStream, TStream)

public:
  // fmCreate makes or truncates the file ("Cannot create file "%s". %s");
  // the others open it ("Cannot open file "%s". %s").
  TFileStream(const std::wstring& FileName, TFileStreamMode Mode);
  ~TFileStream() override;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t GetSize() override;
  int64_t GetPosition() override;
  void SetPosition(int64_t position) override;
  const std::wstring& GetFileName() const noexcept { return fFileName; }

private:
  std::wstring fFileName;
  HANDLE fHandle = INVALID_HANDLE_VALUE;
};

}  // namespace ts
