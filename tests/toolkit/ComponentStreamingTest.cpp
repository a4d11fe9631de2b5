// The binary component stream: byte layout, round trips, and streams that
// are cut short, have the wrong signature or are corrupted at random.
#include <gtest/gtest.h>

#include <random>

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

TEST(ComponentStreamingTest, RandomlyCorruptedStreamsNeverCrashOrOverread) {
  TSample sample;
  sample.Lines.SetText(L"1 C:\\tmp\r\n2 C:\\temp\r\n3 名前名前\r\n4 Dönüş\r\n");
  const TBytes good = Write(sample);
  std::mt19937 random(20261209);
  int failures = 0;
  for (int round = 0; round < 3000; ++round) {
    TBytes bytes = good;
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < changes; ++i) bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
    if (random() % 3 == 0) bytes.resize(random() % bytes.size());
    TSample target;
    try {
      Read(target, bytes);
    } catch (const Exception&) {
      ++failures;  // any of the stream's own errors is fine
    }
  }
  EXPECT_GT(failures, 0);
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

}  // namespace
}  // namespace ts::test
