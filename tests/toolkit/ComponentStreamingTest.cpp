// The binary component stream: byte layout, round trips, and streams that
// are cut short or have the wrong signature; the bookmark list box's records
// read from streams cut at every length, with flipped bytes and with absurd
// lengths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "support/TempFolder.h"
#include "toolkit/ComponentStreaming.h"
#include "toolkit/StdCtrls.h"
#include "toolkit/StringList.h"

namespace ts::test {
namespace {

using TBytes = std::vector<uint8_t>;

// A component with properties of each kind a form stores.
class TSample : public TComponent, public IStreamableComponent {
public:
  TSample() : TComponent(nullptr) { SetName(L"Sample1"); }
  int Left = 8;
  int Width = 521;
  int Big = 70000;
  int Negative = -200;
  std::wstring Caption = L"Tahoma";
  std::string Charset = "DEFAULT_CHARSET";
  bool Visible = false;
  TStringList Lines;
  int Loads = 0;

  std::string StreamClassName() const override { return "TSample"; }
  void WriteProperties(TWriter& w) override {
    w.WritePropName("Left"), w.WriteInteger(Left);
    w.WritePropName("Width"), w.WriteInteger(Width);
    w.WritePropName("Big"), w.WriteInteger(Big);
    w.WritePropName("Negative"), w.WriteInteger(Negative);
    w.WritePropName("Font.Charset"), w.WriteIdent(Charset);
    w.WritePropName("Font.Name"), w.WriteString(Caption);
    w.WritePropName("Font.Style"), w.WriteSet({});
    w.WritePropName("Items.Strings"), w.WriteListBegin();
    for (int i = 0; i < Lines.GetCount(); ++i) w.WriteString(Lines.Get(i));
    w.WriteListEnd();
    w.WritePropName("Visible"), w.WriteBoolean(Visible);
  }
  bool ReadProperty(TReader& r, const std::string& name) override {
    if (name == "Left") Left = r.ReadInteger();
    else if (name == "Width") Width = r.ReadInteger();
    else if (name == "Big") Big = r.ReadInteger();
    else if (name == "Negative") Negative = r.ReadInteger();
    else if (name == "Font.Charset") Charset = r.ReadIdent();
    else if (name == "Font.Name") Caption = r.ReadString();
    else if (name == "Font.Style") r.ReadSet();
    else if (name == "Items.Strings") {
      Lines.Clear();
      r.ReadListBegin();
      while (!r.EndOfList()) Lines.Add(r.ReadString());
      r.ReadListEnd();
    } else if (name == "Visible") Visible = r.ReadBoolean();
    else return false;
    return true;
  }

protected:
  void Loaded() override {
    TComponent::Loaded();
    ++Loads;
  }
};

TBytes Write(TSample& sample) {
  TMemoryStream stream;
  TWriter(stream).WriteRootComponent(sample, sample);
  return stream.Bytes();
}

void Read(TSample& sample, const TBytes& bytes) {
  TMemoryStream stream(bytes);
  TReader(stream).ReadRootComponent(sample, sample);
}

TBytes Text(const std::string& s) { return TBytes(s.begin(), s.end()); }
TBytes operator+(TBytes a, const TBytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
TBytes Short(const std::string& s) { return TBytes{static_cast<uint8_t>(s.size())} + Text(s); }

TEST(ComponentStreamingTest, TheLayoutByteForByte) {
  TSample sample;
  sample.Lines.Add(L"1 C:\\tmp");
  sample.Lines.Add(L"");
  const TBytes expected =
      Text("TPF0") + Short("TSample") + Short("Sample1") +
      Short("Left") + TBytes{2, 8} +
      Short("Width") + TBytes{3, 0x09, 0x02} +
      Short("Big") + TBytes{4, 0x70, 0x11, 0x01, 0x00} +
      Short("Negative") + TBytes{3, 0x38, 0xFF} +
      Short("Font.Charset") + TBytes{7} + Short("DEFAULT_CHARSET") +
      Short("Font.Name") + TBytes{6} + Short("Tahoma") +
      Short("Font.Style") + TBytes{11, 0} +
      Short("Items.Strings") + TBytes{1, 6} + Short("1 C:\\tmp") + TBytes{18, 0, 0, 0, 0, 0} +
      Short("Visible") + TBytes{8} + TBytes{0, 0};
  EXPECT_EQ(Write(sample), expected);
}

TEST(ComponentStreamingTest, StringsTakeTheSmallestFittingForm) {
  auto encoded = [](const std::wstring& text) {
    TMemoryStream stream;
    TWriter(stream).WriteString(text);
    return stream.Bytes();
  };
  EXPECT_EQ(encoded(L"abc"), (TBytes{6, 3, 'a', 'b', 'c'}));
  const TBytes longAscii = encoded(std::wstring(300, L'a'));
  EXPECT_EQ(longAscii[0], 12);
  EXPECT_EQ(longAscii[1] | (longAscii[2] << 8), 300);
  // Mostly Latin with accents: UTF-8 is shorter than twice the length.
  EXPECT_EQ(encoded(L"2 C:\\Dönüş"), (TBytes{20, 13, 0, 0, 0} + Text("2 C:\\D\xC3\xB6n\xC3\xBC\xC5\x9F")));
  // More CJK than ASCII: UTF-8 (3 bytes each) loses to UTF-16.
  const TBytes cjk = encoded(L"3 名前名前");
  EXPECT_EQ(cjk, (TBytes{18, 6, 0, 0, 0, '3', 0, ' ', 0, 0x0D, 0x54, 0x4D, 0x52, 0x0D, 0x54, 0x4D, 0x52}));
  // More ASCII than CJK: UTF-8.
  EXPECT_EQ(encoded(L"C:\\Long folder\\名")[0], 20);
}

TEST(ComponentStreamingTest, WrittenAndReadBackThroughAFile) {
  TTempFolder temp;
  TSample written;
  written.Left = -1;
  written.Width = 32767;
  written.Big = -2147483647 - 1;
  written.Caption = L"Ünïcødé";
  written.Visible = true;
  written.Lines.SetText(L"1 C:\\tmp\r\n2 C:\\temp\r\n3 名前名前\r\n10\r\n");
  {
    TFileStream file(temp / L"MyList.DAT", fmCreate);
    TWriter(file).WriteRootComponent(written, written);
  }
  TSample read;
  read.Visible = false;
  TFileStream file(temp / L"MyList.DAT", fmOpenRead);
  TReader(file).ReadRootComponent(read, read);
  EXPECT_EQ(read.Left, -1);
  EXPECT_EQ(read.Width, 32767);
  EXPECT_EQ(read.Big, written.Big);
  EXPECT_EQ(read.Caption, L"Ünïcødé");
  EXPECT_TRUE(read.Visible);
  EXPECT_EQ(read.Lines.GetText(), written.Lines.GetText());
  EXPECT_EQ(read.Loads, 1);
}

TEST(ComponentStreamingTest, FilesThatCannotBeMadeOrOpenedSaySoWithTheName) {
  TTempFolder temp;
  const std::wstring name = temp / L"no folder\\MyList.DAT";
  try {
    TFileStream file(name, fmCreate);
    FAIL() << "no error";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message().rfind(L"Cannot create file \"" + name + L"\". ", 0), 0u);
    EXPECT_GT(e.Message().size(), name.size() + 24);  // the system's reason follows
  }
  EXPECT_THROW(TFileStream(temp / L"missing.DAT", fmOpenRead), EFOpenError);
}

TEST(ComponentStreamingTest, AWrongSignatureOrAShortStreamIsReportedAndKeepsWhatWasRead) {
  TSample sample;
  sample.Lines.Add(L"1 C:\\tmp");
  const TBytes good = Write(sample);

  TBytes wrong = good;
  wrong[3] = '1';
  TSample target;
  try {
    Read(target, wrong);
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), L"Invalid stream format");
  }

  // Cut after the Left and Width records: both were applied before the error.
  TSample partial;
  partial.Left = 0;
  partial.Width = 0;
  const size_t cut = 4 + 8 + 8 + (1 + 4 + 2) + (1 + 5 + 3) + 2;
  try {
    Read(partial, TBytes(good.begin(), good.begin() + static_cast<long>(cut)));
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), L"Stream read error");
  }
  EXPECT_EQ(partial.Left, 8);
  EXPECT_EQ(partial.Width, 521);

  // Every shorter length fails cleanly.
  for (size_t length = 0; length < good.size(); ++length) {
    TSample each;
    EXPECT_THROW(Read(each, TBytes(good.begin(), good.begin() + static_cast<long>(length))), EReadError) << length;
  }
}

TEST(ComponentStreamingTest, UnknownPropertiesOfOtherVersionsArePassedOver) {
  TMemoryStream stream;
  TWriter writer(stream);
  TSample sample;
  {
    const char signature[] = "TPF0";
    stream.WriteBuffer(signature, 4);
  }
  const TBytes head = Short("TSample") + Short("Sample1");
  stream.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
  writer.WritePropName("Future");
  writer.WriteListBegin();
  writer.WriteInteger(100000);
  writer.WriteSet({"fsBold", "fsItalic"});
  writer.WriteString(L"名前名前");
  writer.WriteListEnd();
  writer.WritePropName("Left");
  writer.WriteInteger(77);
  const TBytes tail{0, 0};
  stream.WriteBuffer(tail.data(), 2);
  Read(sample, stream.Bytes());
  EXPECT_EQ(sample.Left, 77);
}

TEST(ListBoxStreamingTest, TheBookmarkListIsWrittenAsTheFileLayoutAndReadBack) {
  TListBox list(nullptr);
  list.SetName(L"ListBox1");
  list.SetBounds(8, 55, 521, 153);
  list.GetFont().SetHeight(-12);
  list.GetFont().SetName(L"Tahoma");
  list.SetItemHeight(14);
  list.GetItems().SetText(L"1 C:\\tmp\r\n2 C:\\temp\r\n3 名前名前\r\n10\r\n");
  TMemoryStream stream;
  TWriter(stream).WriteRootComponent(list, list);
  const TBytes expected =
      Text("TPF0") + Short("TListBox") + Short("ListBox1") + Short("Left") + TBytes{2, 8} + Short("Top") +
      TBytes{2, 55} + Short("Width") + TBytes{3, 0x09, 0x02} + Short("Height") + TBytes{3, 153, 0} +
      Short("Font.Charset") + TBytes{7} + Short("DEFAULT_CHARSET") + Short("Font.Color") + TBytes{7} +
      Short("clWindowText") + Short("Font.Height") + TBytes{2, 0xF4} + Short("Font.Name") + TBytes{6} +
      Short("Tahoma") + Short("Font.Style") + TBytes{11, 0} + Short("ItemHeight") + TBytes{2, 14} +
      Short("Items.Strings") + TBytes{1, 6} + Short("1 C:\\tmp") + TBytes{6} + Short("2 C:\\temp") +
      TBytes{18, 6, 0, 0, 0, '3', 0, ' ', 0, 0x0D, 0x54, 0x4D, 0x52, 0x0D, 0x54, 0x4D, 0x52} + TBytes{6} +
      Short("10") + TBytes{0} + Short("ParentFont") + TBytes{8} + Short("TabOrder") + TBytes{2, 0} + TBytes{0, 0};
  EXPECT_EQ(stream.Bytes(), expected);

  TListBox read(nullptr);
  read.GetItems().Add(L"old");
  TMemoryStream input(stream.Bytes());
  TReader(input).ReadRootComponent(read, read);
  EXPECT_EQ(read.GetItems().GetText(), list.GetItems().GetText());
  EXPECT_EQ(read.GetWidth(), 521);
  EXPECT_EQ(read.GetTop(), 55);
  EXPECT_EQ(read.GetItemHeight(), 14);
  EXPECT_EQ(read.GetFont().GetHeight(), -12);
  EXPECT_FALSE(read.GetParentFont());

  // A file cut inside the lines keeps the lines read before the cut.
  TBytes cut(stream.Bytes().begin(), stream.Bytes().end() - 40);
  TListBox partial(nullptr);
  TMemoryStream short_(cut);
  EXPECT_THROW(TReader(short_).ReadRootComponent(partial, partial), EReadError);
  EXPECT_GE(partial.GetItems().GetCount(), 2);
  EXPECT_EQ(partial.GetItems().Get(0), L"1 C:\\tmp");
}

// A stream over bytes that notes every request to read past their end: the
// reader must never make one, however the bytes are damaged.
class TBoundedStream : public TStream {
public:
  explicit TBoundedStream(TBytes bytes) : fBytes(std::move(bytes)) {}
  int64_t Read(void* buffer, int64_t count) override {
    const int64_t available = GetSize() - fPosition;
    if (count > available) PastEnd = true;
    const int64_t n = std::clamp<int64_t>(count, 0, available);
    if (n > 0) std::memcpy(buffer, fBytes.data() + fPosition, static_cast<size_t>(n));
    fPosition += n;
    return n;
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t GetSize() override { return static_cast<int64_t>(fBytes.size()); }
  int64_t GetPosition() override { return fPosition; }
  void SetPosition(int64_t position) override {
    if (position < 0 || position > GetSize()) PastEnd = true;
    fPosition = std::clamp<int64_t>(position, 0, GetSize());
  }
  bool PastEnd = false;

private:
  TBytes fBytes;
  int64_t fPosition = 0;
};

const wchar_t* const kBookmarks[] = {L"1 C:\\tmp", L"2 C:\\temp", L"3 名前名前", L"4 C:\\Dönüş",
                                     L"5 ", L"6", L"7", L"8", L"9", L": D:\\Data"};

// The bookmark list as the program writes it.
TBytes BookmarkStream() {
  TListBox list(nullptr);
  list.SetName(L"ListBox1");
  list.SetBounds(8, 55, 521, 153);
  list.GetFont().SetHeight(-12);
  list.SetItemHeight(14);
  for (const wchar_t* line : kBookmarks) list.GetItems().Add(line);
  TMemoryStream stream;
  TWriter(stream).WriteRootComponent(list, list);
  return stream.Bytes();
}

std::vector<std::wstring> LinesOf(TListBox& list) {
  std::vector<std::wstring> lines;
  for (int i = 0; i < list.GetItems().GetCount(); ++i) lines.push_back(list.GetItems().Get(i));
  return lines;
}

const std::vector<std::wstring> kOldLines{L"1 C:\\old", L"2"};

// What reading bytes into a list box that held kOldLines left: the error's
// text (empty when the read succeeded), the lines and the lines' update
// count. The stream's own errors are the only ones let through, and the
// reader must never ask for bytes past the end.
struct TReadResult {
  std::wstring Error;
  std::vector<std::wstring> Lines;
  int UpdateCount;
};

TReadResult ReadBookmarks(const TBytes& bytes) {
  TListBox list(nullptr);
  for (const std::wstring& line : kOldLines) list.GetItems().Add(line);
  TBoundedStream stream(bytes);
  TReadResult result;
  try {
    TReader(stream).ReadRootComponent(list, list);
  } catch (const Exception& e) {
    result.Error = e.Message();
    if (result.Error.empty()) result.Error = L"(no message)";
  }
  EXPECT_FALSE(stream.PastEnd);
  result.Lines = LinesOf(list);
  result.UpdateCount = list.GetItems().GetUpdateCount();
  return result;
}

// Where the lines' list begins (just after its list byte) and ends.
size_t Find(const TBytes& bytes, const TBytes& what) {
  return static_cast<size_t>(std::search(bytes.begin(), bytes.end(), what.begin(), what.end()) - bytes.begin());
}

bool IsPrefixOfTheBookmarks(const std::vector<std::wstring>& lines) {
  if (lines.size() > std::size(kBookmarks)) return false;
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i] != kBookmarks[i]) return false;
  return true;
}

TEST(BookmarkStreamFuzzTest, CutAtEveryLengthKeepsTheLinesReadAndNeverReadsPastTheEnd) {
  const TBytes good = BookmarkStream();
  const size_t listStart = Find(good, Short("Items.Strings")) + 14 + 1;
  const size_t listEnd = Find(good, Short("ParentFont"));
  ASSERT_LT(listStart, listEnd);
  size_t linesBefore = 0;
  for (size_t length = 0; length < good.size(); ++length) {
    const TReadResult result = ReadBookmarks(TBytes(good.begin(), good.begin() + static_cast<long>(length)));
    EXPECT_EQ(result.Error, L"Stream read error") << length;
    EXPECT_EQ(result.UpdateCount, 0) << length;
    if (length < listStart) {
      EXPECT_EQ(result.Lines, kOldLines) << length;
    } else {
      // The lines read before the cut, never fewer for a longer file.
      EXPECT_TRUE(IsPrefixOfTheBookmarks(result.Lines)) << length;
      EXPECT_GE(result.Lines.size(), linesBefore) << length;
      linesBefore = result.Lines.size();
      if (length >= listEnd) {
        EXPECT_EQ(result.Lines.size(), std::size(kBookmarks)) << length;
      }
    }
  }
  const TReadResult whole = ReadBookmarks(good);
  EXPECT_EQ(whole.Error, L"");
  EXPECT_EQ(whole.Lines, std::vector<std::wstring>(std::begin(kBookmarks), std::end(kBookmarks)));
}

TEST(BookmarkStreamFuzzTest, FlippedBytesGiveTheStreamsOwnErrorsAndNeverReadPastTheEnd) {
  const TBytes good = BookmarkStream();
  const size_t listStart = Find(good, Short("Items.Strings")) + 14 + 1;
  for (size_t at = 0; at < good.size(); ++at) {
    for (uint8_t mask : {0x01, 0x02, 0x10, 0x80, 0xFF}) {
      TBytes bytes = good;
      bytes[at] ^= mask;
      const TReadResult result = ReadBookmarks(bytes);  // only the stream's errors get out
      EXPECT_EQ(result.UpdateCount, 0) << at << " ^ " << int(mask);
      // Damage before the lines' list can only keep the old lines or read
      // the bookmarks themselves.
      if (at < listStart - 1 && !result.Error.empty()) {
        EXPECT_TRUE(result.Lines == kOldLines || IsPrefixOfTheBookmarks(result.Lines)) << at << " ^ " << int(mask);
      }
    }
  }
}

// A stream of the list box's head followed by the given records and the ends.
TBytes WithRecords(const TBytes& records) {
  return Text("TPF0") + Short("TListBox") + Short("ListBox1") + records + TBytes{0, 0};
}

TBytes Int32(int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

TEST(BookmarkStreamFuzzTest, AbsurdLengthsAreFoundBeforeAnythingIsReadOrAllocated) {
  const TBytes lines = Short("Items.Strings") + TBytes{1, 6} + Short("1 C:\\tmp");
  const std::vector<std::pair<const char*, TBytes>> cases{
      {"long string of 2 GB", Short("Font.Name") + TBytes{12} + Int32(0x7FFFFFFF) + Text("Tahoma")},
      {"UTF-8 string of negative length", lines + TBytes{20} + Int32(-1) + Text("x") + TBytes{0}},
      {"wide string of a billion characters", lines + TBytes{18} + Int32(0x40000000) + TBytes{'x', 0, 0}},
      {"wide string of negative length", lines + TBytes{18} + Int32(-2) + TBytes{0}},
      {"binary value of 2 GB to skip", Short("Future") + TBytes{10} + Int32(0x7FFFFFF0) + TBytes{1, 2, 3}},
      {"wide string of 2 GB to skip", Short("Future") + TBytes{18} + Int32(0x7FFFFFFF) + TBytes{1, 2, 3}},
      {"name longer than the rest", TBytes{255} + Text("Left")},
      {"short string longer than the rest", Short("Font.Name") + TBytes{6, 200} + Text("Tahoma")},
      {"set without its end", Short("Font.Style") + TBytes{11} + Short("fsBold")},
      {"lists nested beyond reason", Short("Future") + TBytes(100000, 1)},
  };
  for (const auto& [what, records] : cases) {
    const TReadResult result = ReadBookmarks(WithRecords(records));
    EXPECT_FALSE(result.Error.empty()) << what;
    EXPECT_EQ(result.UpdateCount, 0) << what;
    EXPECT_TRUE(result.Lines == kOldLines || result.Lines == std::vector<std::wstring>{L"1 C:\\tmp"}) << what;
  }
}

TEST(BookmarkStreamFuzzTest, ARecordOfTheWrongTypeLeavesTheLinesAndTheirChangeEvent) {
  TListBox list(nullptr);
  for (const std::wstring& line : kOldLines) list.GetItems().Add(line);
  int changes = 0;
  list.GetItems().OnChange = [&](TObject*) { ++changes; };

  // Not a list: refused before the lines change.
  const TBytes notAList = WithRecords(Short("Items.Strings") + TBytes{6} + Short("1 C:\\tmp") +
                                      Short("ItemHeight") + TBytes{2, 20});
  TMemoryStream first(notAList);
  try {
    TReader(first).ReadRootComponent(list, list);
    FAIL() << "no error";
  } catch (const EFilerError& e) {
    EXPECT_EQ(e.Message(), L"Invalid property value");
  }
  EXPECT_EQ(LinesOf(list), kOldLines);
  EXPECT_EQ(list.GetItemHeight(), 13);  // the records after it were not read
  EXPECT_EQ(changes, 0);
  list.GetItems().Add(L"3");
  EXPECT_EQ(changes, 1);  // the change event still fires

  // A list that breaks off at a value of another type keeps what it read.
  const TBytes brokenList =
      WithRecords(Short("Items.Strings") + TBytes{1, 6} + Short("1 C:\\tmp") + TBytes{6} + Short("2 C:\\temp") +
                  TBytes{2, 7} + TBytes{6} + Short("3") + TBytes{0});
  TMemoryStream second(brokenList);
  EXPECT_THROW(TReader(second).ReadRootComponent(list, list), EFilerError);
  EXPECT_EQ(LinesOf(list), (std::vector<std::wstring>{L"1 C:\\tmp", L"2 C:\\temp"}));
  EXPECT_EQ(list.GetItems().GetUpdateCount(), 0);
  const int before = changes;
  list.GetItems().Add(L"3");
  EXPECT_EQ(changes, before + 1);
}

TEST(ListBoxStreamingTest, TheTabOrderIsReadAndWrittenBackExactly) {
  // On a parent with three other windowed controls, at the third place.
  TGroupBox parent(nullptr);
  std::vector<std::unique_ptr<TButton>> buttons;
  for (int i = 0; i < 3; ++i) {
    buttons.push_back(std::make_unique<TButton>(nullptr));
    buttons.back()->SetParent(&parent);
  }
  TListBox list(nullptr);
  list.SetName(L"ListBox1");
  list.SetParent(&parent);
  EXPECT_EQ(list.GetTabOrder(), 3);

  const TBytes file = WithRecords(Short("Left") + TBytes{2, 8} + Short("Items.Strings") + TBytes{1, 6} +
                                  Short("1 C:\\tmp") + TBytes{0} + Short("TabOrder") + TBytes{2, 2});
  TMemoryStream input(file);
  TReader(input).ReadRootComponent(list, list);
  EXPECT_EQ(list.GetTabOrder(), 2);
  EXPECT_EQ(buttons[2]->GetTabOrder(), 3);

  TMemoryStream output;
  TWriter(output).WriteRootComponent(list, list);
  const TBytes& written = output.Bytes();
  const TBytes tail = Short("TabOrder") + TBytes{2, 2, 0, 0};
  ASSERT_GE(written.size(), tail.size());
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), written.end() - static_cast<long>(tail.size())));

  // Without a parent the value read is kept, and written as read.
  TListBox alone(nullptr);
  const TBytes order5 = WithRecords(Short("TabOrder") + TBytes{2, 5});
  TMemoryStream again(order5);
  TReader(again).ReadRootComponent(alone, alone);
  EXPECT_EQ(alone.GetTabOrder(), 5);
  TMemoryStream out5;
  TWriter(out5).WriteRootComponent(alone, alone);
  EXPECT_EQ(out5.Bytes()[out5.Bytes().size() - 3], 5);
}

}  // namespace
}  // namespace ts::test
