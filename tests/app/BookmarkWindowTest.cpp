// The bookmark window as a real window: its layout, the bookmark file's
// exact bytes, damaged and unwritable files, and the commands acting on a
// real main window's panes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/BookmarkFile.h"
#include "app/BookmarkWindow.h"
#include "app/MainWindow.h"
#include "support/KeyInput.h"
#include "support/MessagePump.h"
#include "support/TempFolder.h"
#include "toolkit/Application.h"
#include "toolkit/Strings.h"

namespace ts::test {
namespace {

using Bytes = std::vector<uint8_t>;

// The stream, byte by byte, as the file's record layout has it.
class TStreamBytes {
public:
  TStreamBytes& Raw(const std::string& text) {
    fBytes.insert(fBytes.end(), text.begin(), text.end());
    return *this;
  }
  TStreamBytes& Byte(uint8_t value) {
    fBytes.push_back(value);
    return *this;
  }
  TStreamBytes& Short(const std::string& text) { return Byte(static_cast<uint8_t>(text.size())).Raw(text); }
  TStreamBytes& Le16(int16_t value) {
    for (int i = 0; i < 2; ++i) Byte(static_cast<uint8_t>(static_cast<uint16_t>(value) >> (8 * i)));
    return *this;
  }
  TStreamBytes& Le32(int32_t value) {
    for (int i = 0; i < 4; ++i) Byte(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
    return *this;
  }
  TStreamBytes& Prop(const std::string& name) { return Short(name); }
  // The value records of strings.
  TStreamBytes& String6(const std::string& ascii) { return Byte(6).Short(ascii); }
  TStreamBytes& String12(const std::string& ascii) { return Byte(12).Le32(static_cast<int32_t>(ascii.size())).Raw(ascii); }
  TStreamBytes& String20(const std::string& utf8) { return Byte(20).Le32(static_cast<int32_t>(utf8.size())).Raw(utf8); }
  TStreamBytes& String18(const std::u16string& text) {
    Byte(18).Le32(static_cast<int32_t>(text.size()));
    for (char16_t c : text) Le16(static_cast<int16_t>(c));
    return *this;
  }
  const Bytes& Get() const { return fBytes; }

private:
  Bytes fBytes;
};

// The list box at its design place, up to its lines.
void ListBoxHead(TStreamBytes& s) {
  s.Raw("TPF0").Short("TListBox").Short("ListBox1");
  s.Prop("Left").Byte(2).Byte(8);
  s.Prop("Top").Byte(2).Byte(55);
  s.Prop("Width").Byte(3).Le16(521);
  s.Prop("Height").Byte(3).Le16(153);
  s.Prop("Font.Charset").Byte(7).Short("DEFAULT_CHARSET");
  s.Prop("Font.Color").Byte(7).Short("clWindowText");
  s.Prop("Font.Height").Byte(2).Byte(static_cast<uint8_t>(-12));
  s.Prop("Font.Name").String6("Tahoma");
  s.Prop("Font.Style").Byte(11).Byte(0);
  s.Prop("ItemHeight").Byte(2).Byte(14);
  s.Prop("Items.Strings").Byte(1);
}

// The whole file of the list box, with the strings' records given.
Bytes ListBoxStream(const std::function<void(TStreamBytes&)>& strings) {
  TStreamBytes s;
  ListBoxHead(s);
  strings(s);
  s.Byte(0);
  s.Prop("ParentFont").Byte(8);
  s.Prop("TabOrder").Byte(2).Byte(0);
  s.Byte(0).Byte(0);
  return s.Get();
}

// The stream of the ten lines a new list starts with.
Bytes InitialStream() {
  return ListBoxStream([](TStreamBytes& s) {
    for (const wchar_t* line : InitialBookmarks) s.String6(std::string(line, line + wcslen(line)));
  });
}

Bytes ReadBytes(const std::wstring& file) {
  Bytes bytes;
  HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size{};
  GetFileSizeEx(h, &size);
  bytes.resize(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(h);
  return bytes;
}

void WriteBytes(const std::wstring& file, const Bytes& bytes) {
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> Lines(TfrmBookmark& f) {
  std::vector<std::wstring> lines;
  for (int i = 0; i < f.ListBox1->GetItems().GetCount(); ++i) lines.push_back(f.ListBox1->GetItems().Get(i));
  return lines;
}

std::vector<std::wstring> InitialLines() { return {std::begin(InitialBookmarks), std::end(InitialBookmarks)}; }

class BookmarkWindowTest : public ::testing::Test {
protected:
  BookmarkWindowTest() {
    file = temp / L"MyList.DAT";
    Application->OnException = [this](TObject*, const std::exception& error) {
      if (auto* e = dynamic_cast<const Exception*>(&error)) errors.push_back(e->Message());
    };
  }
  ~BookmarkWindowTest() override {
    bookmarks.reset();
    main.reset();
    frmMain = nullptr;
    frmBookmark = nullptr;
    Application->OnException = nullptr;
  }

  TfrmBookmark& Open() {
    bookmarks = std::make_unique<TfrmBookmark>(nullptr, file);
    return *bookmarks;
  }
  // Destroys the window, which writes the file.
  void Close() { bookmarks.reset(); }

  TTempFolder temp;
  std::wstring file;
  std::vector<std::wstring> errors;
  std::unique_ptr<TfrmMain> main;
  std::unique_ptr<TfrmBookmark> bookmarks;
};

// The window and its file

TEST_F(BookmarkWindowTest, TheWindowStartsHiddenWithItsLayoutTextsAndTenLines) {
  TfrmBookmark& f = Open();
  EXPECT_FALSE(f.GetVisible());
  EXPECT_EQ(f.GetName(), L"frmBookmark");
  EXPECT_EQ(f.GetCaption(), L"Bookmark List  (shortcut Alt-B, 1..10, S or G or D)");
  RECT client{};
  GetClientRect(f.GetHandle(), &client);
  EXPECT_EQ(client.right, 538);
  EXPECT_EQ(client.bottom, 216);
  EXPECT_EQ(f.GetFont().GetName(), L"Tahoma");

  EXPECT_EQ(f.Label1->GetCaption(), L"Bookmark editing");
  EXPECT_EQ(f.Label1->GetFont().GetHeight(), -15);
  EXPECT_TRUE(f.Label1->GetFont().GetStyle().Contains(fsUnderline));
  EXPECT_EQ(f.Label2->GetCaption(), L"For a quick goto use double click on a path ");
  struct {
    TWinControl* control;
    int left, top;
    const wchar_t* caption;
  } const places[] = {{f.Label1, 8, 8, L"Bookmark editing"}, {f.Label2, 8, 32, nullptr},
                      {f.btnSave, 240, 8, L"&Save"},         {f.btnGoto, 304, 8, L"&Goto"},
                      {f.btnDelete, 376, 8, L"&Delete"},     {f.btnEscape, 440, 8, L"&Cancel"}};
  for (const auto& p : places) {
    EXPECT_EQ(p.control->GetLeft(), p.left) << p.control->GetName();
    EXPECT_EQ(p.control->GetTop(), p.top) << p.control->GetName();
    if (p.caption != nullptr) {
      EXPECT_EQ(p.control->GetCaption(), p.caption);
    }
  }
  // Neighbouring buttons do not overlap.
  EXPECT_LE(f.btnSave->GetLeft() + f.btnSave->GetWidth(), f.btnGoto->GetLeft());
  EXPECT_LE(f.btnGoto->GetLeft() + f.btnGoto->GetWidth(), f.btnDelete->GetLeft());
  EXPECT_LE(f.btnDelete->GetLeft() + f.btnDelete->GetWidth(), f.btnEscape->GetLeft());

  const RECT list = f.ListBox1->GetBoundsRect();
  EXPECT_EQ(list.left, 8);
  EXPECT_EQ(list.top, 55);
  EXPECT_EQ(list.right - list.left, 521);
  EXPECT_EQ(list.bottom - list.top, 153);
  EXPECT_EQ(f.ListBox1->GetFont().GetHeight(), -12);
  EXPECT_EQ(f.ListBox1->GetItemHeight(), 14);
  EXPECT_FALSE(f.ListBox1->GetParentFont());
  EXPECT_EQ(f.ListBox1->GetTabOrder(), 0);
  EXPECT_LT(f.btnSave->GetTabOrder(), f.btnGoto->GetTabOrder());
  EXPECT_LT(f.btnDelete->GetTabOrder(), f.btnEscape->GetTabOrder());
  EXPECT_EQ(Lines(f), InitialLines());
  EXPECT_EQ(f.ListBox1->GetItemIndex(), -1);
  EXPECT_TRUE(errors.empty());
}

TEST_F(BookmarkWindowTest, TheFileHoldsTheListStreamByteForByte) {
  Open();
  Close();
  EXPECT_EQ(ReadBytes(file), InitialStream());
  EXPECT_FALSE(Exists(file + L".new"));
  EXPECT_TRUE(errors.empty());
}

TEST_F(BookmarkWindowTest, EachLineGoesInTheRecordItsLengthsChoose) {
  const std::wstring longAscii = L"5 C:\\" + std::wstring(300, L'a');
  const std::wstring longest6 = L"7 " + std::wstring(253, L'x');  // 255 bytes
  const std::wstring first12 = L"8 " + std::wstring(254, L'y');   // 256 bytes
  const std::vector<std::wstring> lines = {
      L"1 C:\\tmp",
      L"2 C:\\Users\\Zo\u00eb\\M\u00fasica",        // accents: UTF-8 is shorter
      L"3 \u65e5\u672c\u8a9e\u8cc7\u6599",          // more CJK than ASCII: wide
      L"4 C:\\\u65e5\u672c\u8a9e\\\u8cc7\u6599",    // more ASCII than CJK: UTF-8
      L"",                                          // empty: wide
      longAscii,
      L"6 \U0001F600",                              // a surrogate pair
      longest6,
      first12,
      L":",
  };
  {
    TfrmBookmark& f = Open();
    f.ListBox1->GetItems().Clear();
    for (const auto& line : lines) f.ListBox1->GetItems().Add(line);
    Close();
  }
  const Bytes expected = ListBoxStream([&](TStreamBytes& s) {
    s.String6("1 C:\\tmp");
    s.String20("2 C:\\Users\\Zo\xc3\xab\\M\xc3\xbasica");
    s.String18(u"3 \u65e5\u672c\u8a9e\u8cc7\u6599");
    s.String20("4 C:\\\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\\\xe8\xb3\x87\xe6\x96\x99");
    s.String18(u"");
    s.String12("5 C:\\" + std::string(300, 'a'));
    s.String20("6 \xf0\x9f\x98\x80");
    s.String6("7 " + std::string(253, 'x'));
    s.String12("8 " + std::string(254, 'y'));
    s.String6(":");
  });
  EXPECT_EQ(ReadBytes(file), expected);

  // And back: the same lines, and the same bytes once more.
  TfrmBookmark& f = Open();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(Lines(f), lines);
  Close();
  EXPECT_EQ(ReadBytes(file), expected);
}

TEST_F(BookmarkWindowTest, AFileWrittenElsewhereIsReadWithItsOwnGeometryAndLines) {
  // Another order of records, a property this window does not know, and
  // wide and long records that this program would not have chosen.
  TStreamBytes s;
  s.Raw("TPF0").Short("TListBox").Short("Bookmarks");
  s.Prop("Tag").Byte(4).Le32(70000);
  s.Prop("Items.Strings").Byte(1).String18(u"1 C:\\A").String12("2 C:\\B").String20("3 C:\\\xc3\xa9").Byte(0);
  s.Prop("Height").Byte(2).Byte(100);
  s.Prop("Font.Style").Byte(11).Short("fsBold").Byte(0);
  s.Prop("TabOrder").Byte(2).Byte(0);
  s.Byte(0).Byte(0);
  WriteBytes(file, s.Get());
  TfrmBookmark& f = Open();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(Lines(f), (std::vector<std::wstring>{L"1 C:\\A", L"2 C:\\B", L"3 C:\\\u00e9"}));
  EXPECT_EQ(f.ListBox1->GetHeight(), 100);
  EXPECT_TRUE(f.ListBox1->GetFont().GetStyle().Contains(fsBold));
  EXPECT_FALSE(Exists(file + L".bad"));
}

TEST_F(BookmarkWindowTest, TheFileIsReadAndWrittenInTheDirectoryCurrentAtEachMoment) {
  const std::wstring start = temp.MakeFolder(L"Start");
  const std::wstring exit = temp.MakeFolder(L"Exit");
  TStreamBytes s;
  s.Raw("TPF0").Short("TListBox").Short("ListBox1");
  s.Prop("Items.Strings").Byte(1).String6("1 C:\\Start").Byte(0).Byte(0).Byte(0);
  WriteBytes(start + L"\\MyList.DAT", s.Get());

  wchar_t saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryW(start.c_str()));
  auto f = std::make_unique<TfrmBookmark>(nullptr);
  EXPECT_EQ(f->GetFileName(), L"MyList.DAT");
  EXPECT_EQ(Lines(*f), std::vector<std::wstring>{L"1 C:\\Start"});
  ASSERT_TRUE(SetCurrentDirectoryW(exit.c_str()));
  f.reset();
  SetCurrentDirectoryW(saved);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(ReadBytes(exit + L"\\MyList.DAT"), ListBoxStream([](TStreamBytes& b) { b.String6("1 C:\\Start"); }));
  EXPECT_EQ(ReadBytes(start + L"\\MyList.DAT"), s.Get());
}

// Damaged files

// What a damaged file must give: the error shown once, the lines either the
// initial ten or some first lines of the file, the file kept aside as it was,
// and at exit a file that reads back cleanly with the lines the window had.
class DamagedFileTest : public BookmarkWindowTest {
protected:
  void ExpectHandled(const Bytes& damaged, const std::vector<std::wstring>& fileLines, const std::wstring& error,
                     const std::string& what) {
    SCOPED_TRACE(what);
    errors.clear();
    WriteBytes(file, damaged);
    std::vector<std::wstring> lines;
    {
      TfrmBookmark& f = Open();
      lines = Lines(f);
      ASSERT_EQ(errors.size(), 1u);
      if (!error.empty()) {
        EXPECT_EQ(errors[0], error);
      }
      const bool initial = lines == InitialLines();
      const bool prefix = lines.size() <= fileLines.size() && std::equal(lines.begin(), lines.end(), fileLines.begin());
      EXPECT_TRUE(initial || prefix);
      Close();
    }
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(ReadBytes(file + L".bad"), damaged);
    DeleteFileW((file + L".bad").c_str());
    // The file written anew reads without an error.
    TfrmBookmark& again = Open();
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(Lines(again), lines);
    EXPECT_FALSE(Exists(file + L".bad"));
    bookmarks.reset();
  }
};

const std::vector<std::wstring> kFileLines = {L"1 C:\\One", L"2 C:\\Tw\u00f6", L"3 \u4e8c\u4e09\u56db", L"4 C:\\Four"};

Bytes GoodStream() {
  return ListBoxStream([](TStreamBytes& s) {
    s.String6("1 C:\\One").String20("2 C:\\Tw\xc3\xb6").String18(u"3 \u4e8c\u4e09\u56db").String6("4 C:\\Four");
  });
}

TEST_F(DamagedFileTest, AFileCutAtAnyLengthKeepsTheLinesReadBeforeTheCut) {
  const Bytes good = GoodStream();
  for (size_t length = 0; length < good.size(); ++length)
    ExpectHandled(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)), kFileLines,
                  L"Stream read error", "cut at " + std::to_string(length));
  ASSERT_FALSE(HasFailure());

  // Cut after the second line's record: exactly the first two lines.
  TStreamBytes head;
  ListBoxHead(head);
  head.String6("1 C:\\One").String20("2 C:\\Tw\xc3\xb6");
  ASSERT_EQ(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(head.Get().size())), head.Get());
  WriteBytes(file, head.Get());
  errors.clear();
  TfrmBookmark& f = Open();
  EXPECT_EQ(Lines(f), (std::vector<std::wstring>{L"1 C:\\One", L"2 C:\\Tw\u00f6"}));
  EXPECT_EQ(errors, std::vector<std::wstring>{L"Stream read error"});
}

TEST_F(DamagedFileTest, WrongSignaturesRecordTypesAndAbsurdLengthsAreReadingErrors) {
  Bytes wrongSignature = GoodStream();
  wrongSignature[3] = '1';
  ExpectHandled(wrongSignature, kFileLines, L"Invalid stream format", "signature");

  const auto withStrings = [](const std::function<void(TStreamBytes&)>& strings) { return ListBoxStream(strings); };
  ExpectHandled(withStrings([](TStreamBytes& s) { s.String6("1 C:\\One").Byte(12).Le32(0x7fffffff); }), kFileLines,
                L"Stream read error", "long string beyond the end");
  ExpectHandled(withStrings([](TStreamBytes& s) { s.String6("1 C:\\One").Byte(18).Le32(-2).Raw("ab"); }), kFileLines,
                L"Stream read error", "negative wide count");
  ExpectHandled(withStrings([](TStreamBytes& s) { s.String6("1 C:\\One").Byte(18).Le32(0x40000000); }), kFileLines,
                L"Stream read error", "wide count beyond the end");
  ExpectHandled(withStrings([](TStreamBytes& s) { s.String6("1 C:\\One").Byte(20).Le32(-1); }), kFileLines,
                L"Stream read error", "negative UTF-8 length");
  ExpectHandled(withStrings([](TStreamBytes& s) { s.String6("1 C:\\One").Byte(2).Byte(5); }), kFileLines, L"",
                "an integer among the lines");
  ExpectHandled(withStrings([](TStreamBytes& s) { s.String6("1 C:\\One").Byte(99); }), kFileLines, L"",
                "an unknown value type");

  TStreamBytes leftAsText;
  leftAsText.Raw("TPF0").Short("TListBox").Short("ListBox1").Prop("Left").String6("eight").Byte(0).Byte(0);
  ExpectHandled(leftAsText.Get(), kFileLines, L"", "Left as a string");
  TStreamBytes linesNotAList;
  linesNotAList.Raw("TPF0").Short("TListBox").Short("ListBox1").Prop("Items.Strings").String6("1 C:\\X");
  linesNotAList.Byte(0).Byte(0);
  ExpectHandled(linesNotAList.Get(), kFileLines, L"", "lines not a list");
  // Lists nested beyond reason in a property this window does not know.
  TStreamBytes nested;
  nested.Raw("TPF0").Short("TListBox").Short("ListBox1").Prop("Other");
  for (int i = 0; i < 5000; ++i) nested.Byte(1);
  ExpectHandled(nested.Get(), kFileLines, L"", "deep lists");
  ExpectHandled(Bytes{'T', 'P', 'F', '0', 0xff}, kFileLines, L"Stream read error", "a class name beyond the end");
}

TEST_F(DamagedFileTest, AnyByteFlippedNeverCrashesOrLosesTheFile) {
  const Bytes good = GoodStream();
  for (size_t i = 0; i < good.size(); ++i) {
    for (uint8_t value : {uint8_t(good[i] ^ 0x80), uint8_t(0xff)}) {
      if (value == good[i]) continue;
      Bytes damaged = good;
      damaged[i] = value;
      errors.clear();
      WriteBytes(file, damaged);
      // A damaged stream is reported once and kept aside as it was; one
      // that still reads (a changed letter, a changed width) is not.
      Open();
      EXPECT_LE(errors.size(), 1u);
      if (!errors.empty()) {
        EXPECT_EQ(ReadBytes(file + L".bad"), damaged) << "byte " << i;
        DeleteFileW((file + L".bad").c_str());
      } else {
        EXPECT_FALSE(Exists(file + L".bad")) << "byte " << i;
      }
      Close();
      // Whatever was read is written back in a file that reads cleanly.
      errors.clear();
      const Bytes written = ReadBytes(file);
      Open();
      EXPECT_TRUE(errors.empty()) << "byte " << i;
      Close();
      EXPECT_EQ(ReadBytes(file), written) << "byte " << i;
      if (HasFailure()) return;
    }
  }
}

TEST_F(DamagedFileTest, EarlierCopiesOfDamagedFilesAreNeverWrittenOver) {
  WriteBytes(file + L".bad", Bytes{'o', 'l', 'd'});
  const Bytes damaged = {'T', 'P', 'F'};
  WriteBytes(file, damaged);
  Open();
  Close();
  EXPECT_EQ(ReadBytes(file + L".bad"), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(ReadBytes(file + L".bad2"), damaged);
  EXPECT_EQ(ReadBytes(file), InitialStream());
}

TEST_F(DamagedFileTest, AFileThatCannotBeOpenedIsKeptUntilItCanBeCopiedAside) {
  const Bytes good = GoodStream();
  WriteBytes(file, good);
  // Held without sharing: it can be neither read nor copied.
  HANDLE lock = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  {
    TfrmBookmark& f = Open();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(StartsText(L"Cannot open file \"" + file + L"\". ", errors[0])) << errors[0];
    EXPECT_EQ(Lines(f), InitialLines());
    EXPECT_FALSE(Exists(file + L".bad"));
    // Still held at exit: nothing is written over it.
    Close();
  }
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_TRUE(StartsText(L"Cannot create file \"" + file + L"\". ", errors[1])) << errors[1];
  CloseHandle(lock);
  EXPECT_EQ(ReadBytes(file), good);

  // Let go before the exit: copied aside, then written anew.
  lock = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  errors.clear();
  Open();
  CloseHandle(lock);
  Close();
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_EQ(ReadBytes(file + L".bad"), good);
  EXPECT_EQ(ReadBytes(file), InitialStream());
}

// Failed writes

TEST_F(BookmarkWindowTest, AFailedWriteIsReportedAndLeavesThePreviousFileAsItWas) {
  const Bytes previous = GoodStream();
  WriteBytes(file, previous);
  const auto changeAndClose = [this] {
    TfrmBookmark& f = Open();
    f.ListBox1->GetItems().Put(0, L"1 C:\\Changed");
    Close();
  };

  // Read-only.
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  changeAndClose();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(StartsText(L"Cannot create file \"" + file + L"\". ", errors[0])) << errors[0];
  EXPECT_GT(errors[0].size(), (L"Cannot create file \"" + file + L"\". ").size());
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(file), previous);
  EXPECT_FALSE(Exists(file + L".new"));

  // Held open by another program.
  errors.clear();
  HANDLE lock = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  changeAndClose();
  CloseHandle(lock);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(StartsText(L"Cannot create file \"" + file + L"\". ", errors[0])) << errors[0];
  EXPECT_EQ(ReadBytes(file), previous);
  EXPECT_FALSE(Exists(file + L".new"));

  // And when it can be written, it is.
  errors.clear();
  changeAndClose();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(ReadBytes(file),
            ListBoxStream([](TStreamBytes& s) {
              s.String6("1 C:\\Changed").String20("2 C:\\Tw\xc3\xb6").String18(u"3 \u4e8c\u4e09\u56db").String6("4 C:\\Four");
            }));
}

TEST_F(BookmarkWindowTest, AFileThatCannotBeMadeIsReported) {
  // A folder that is not there, a name longer than any folder may have.
  for (const std::wstring& name : {temp / L"Missing\\MyList.DAT", temp / (std::wstring(300, L'n') + L"\\MyList.DAT")}) {
    errors.clear();
    file = name;
    Open();
    EXPECT_TRUE(errors.empty());
    Close();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(StartsText(L"Cannot create file \"" + name + L"\". ", errors[0])) << errors[0];
    EXPECT_FALSE(Exists(name));
  }
  // A folder by the file's name is not read, and stays a folder.
  errors.clear();
  file = temp.MakeFolder(L"Taken\\MyList.DAT");
  temp.MakeFile(L"Taken\\MyList.DAT\\inside.txt", "kept");
  Open();
  EXPECT_TRUE(errors.empty());
  Close();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(StartsText(L"Cannot create file \"" + file + L"\". ", errors[0])) << errors[0];
  EXPECT_EQ(ReadBytes(file + L"\\inside.txt"), (Bytes{'k', 'e', 'p', 't'}));
  EXPECT_FALSE(Exists(file + L".new"));
}

TEST_F(BookmarkWindowTest, APathBeyond260CharactersIsWrittenWholeOrReportedWithThePreviousFileKept) {
  const std::wstring folder =
      temp.MakeFolder(std::wstring(100, L'a') + L"\\" + std::wstring(100, L'b') + L"\\" + std::wstring(100, L'c'));
  file = folder + L"\\MyList.DAT";
  ASSERT_GT(file.size(), 260u);
  const Bytes previous = GoodStream();
  WriteBytes(LongPath(file), previous);
  {
    TfrmBookmark& f = Open();
    f.ListBox1->GetItems().Put(0, L"1 C:\\Long");
    Close();
  }
  // Where the platform takes such paths, the file is written; where it does
  // not, the write is reported and the previous file stays.
  const Bytes now = ReadBytes(LongPath(file));
  if (errors.empty()) {
    EXPECT_EQ(now, ListBoxStream([](TStreamBytes& s) {
                s.String6("1 C:\\Long").String20("2 C:\\Tw\xc3\xb6").String18(u"3 \u4e8c\u4e09\u56db").String6("4 C:\\Four");
              }));
  } else {
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(StartsText(L"Cannot create file \"" + file + L"\". ", errors[0])) << errors[0];
    EXPECT_EQ(now, previous);
  }
  std::printf("[ INFO     ] a path of %zu characters: %s\n", file.size(), errors.empty() ? "written" : "reported");
  EXPECT_FALSE(Exists(LongPath(file + L".new")));
}

// The commands on a real main window

class BookmarkCommandTest : public BookmarkWindowTest {
protected:
  BookmarkCommandTest() {
    first = temp.MakeFolder(L"First");
    second = temp.MakeFolder(L"Second");
    data = temp.MakeFolder(L"Data");
  }

  TfrmMain& OpenMain() {
    main = std::make_unique<TfrmMain>(nullptr, temp / L"Twinscope.ini");
    frmMain = main.get();
    main->Show();
    main->ShellTree->SetSelectedFolder(first);
    main->ShellTree2->SetSelectedFolder(second);
    PumpMessagesFor(50);
    return *main;
  }
  TfrmBookmark& OpenShown() {
    TfrmBookmark& f = Open();
    f.Show();
    PumpMessagesFor(20);
    return f;
  }
  void Select(int index) { bookmarks->ListBox1->SetItemIndex(index); }
  std::wstring Line(int index) { return bookmarks->ListBox1->GetItems().Get(index); }
  void Type(wchar_t key) { SendMessageW(bookmarks->ListBox1->GetHandle(), WM_CHAR, key, 1); }

  std::wstring first, second, data;
};

TEST_F(BookmarkCommandTest, SaveAndGotoWorkOnTheRememberedPane) {
  TfrmMain& m = OpenMain();
  TfrmBookmark& f = OpenShown();
  // Into the tenth line, with the first pane remembered on Data.
  m.Expl1Focus = true;
  m.ShellTree->SetSelectedFolder(data);
  Select(9);
  f.btnSave->Click();
  EXPECT_TRUE(SameText(Line(9), L": " + data)) << Line(9);
  EXPECT_FALSE(f.GetVisible());
  EXPECT_EQ(Line(0), L"1 C:\\tmp");

  // Elsewhere, then back through the line.
  m.ShellTree->SetSelectedFolder(first);
  f.Show();
  Select(9);
  f.btnGoto->Click();
  EXPECT_TRUE(SameText(m.ShellTree->GetSelectedFolder(), data));
  EXPECT_TRUE(SameText(m.ShellTree2->GetSelectedFolder(), second));
  EXPECT_FALSE(f.GetVisible());
  EXPECT_TRUE(PumpMessagesUntil([&] { return m.ShellTree->Focused(); }, 5000));

  // The second pane remembered: saving and going act on its tree.
  m.Expl1Focus = false;
  f.Show();
  Select(3);
  f.btnSave->Click();
  EXPECT_TRUE(SameText(Line(3), L"4 " + second));
  f.Show();
  Select(9);
  f.btnGoto->Click();
  EXPECT_TRUE(SameText(m.ShellTree2->GetSelectedFolder(), data));
  EXPECT_TRUE(PumpMessagesUntil([&] { return m.ShellTree2->Focused(); }, 5000));

  // The initial first line, its folder given by a file.
  f.ListBox1->GetItems().Put(0, L"1 " + first);
  f.Show();
  Select(0);
  SendMessageW(f.ListBox1->GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(SameText(m.ShellTree2->GetSelectedFolder(), first));
  EXPECT_FALSE(f.GetVisible());
}

TEST_F(BookmarkCommandTest, ShortLinesAndGoneFoldersGoNowhere) {
  TfrmMain& m = OpenMain();
  TfrmBookmark& f = OpenShown();
  // "10" has two characters: nothing happens, the window stays.
  Select(9);
  f.btnGoto->Click();
  EXPECT_TRUE(f.GetVisible());
  EXPECT_TRUE(SameText(m.ShellTree->GetSelectedFolder(), first));
  // A cleared line is its label and a space.
  Select(2);
  f.btnDelete->Click();
  EXPECT_EQ(Line(2), L"3 ");
  EXPECT_TRUE(f.GetVisible());
  f.btnGoto->Click();
  EXPECT_TRUE(f.GetVisible());
  // Four characters are still too few.
  f.ListBox1->GetItems().Put(4, L"5 C:");
  Select(4);
  f.btnGoto->Click();
  EXPECT_TRUE(f.GetVisible());

  // A folder that is gone: the pane stays, the window closes, the tree is focused.
  f.ListBox1->GetItems().Put(5, L"6 " + temp / L"Gone");
  f.ListBox1->GetItems().Put(6, L"7 " + first + L"\\*");
  for (int index : {5, 6}) {
    f.Show();
    Select(index);
    f.btnGoto->Click();
    EXPECT_FALSE(f.GetVisible());
    EXPECT_TRUE(SameText(m.ShellTree->GetSelectedFolder(), first));
    EXPECT_TRUE(PumpMessagesUntil([&] { return m.ShellTree->Focused(); }, 5000));
  }
  EXPECT_TRUE(errors.empty());

  // Without a selected line no command does anything.
  f.Show();
  Select(-1);
  const std::vector<std::wstring> before = Lines(f);
  for (TButton* b : {f.btnSave, f.btnGoto, f.btnDelete}) b->Click();
  EXPECT_EQ(Lines(f), before);
  EXPECT_TRUE(f.GetVisible());
  f.btnEscape->Click();
  EXPECT_FALSE(f.GetVisible());
  EXPECT_EQ(Lines(f), before);
}

TEST_F(BookmarkCommandTest, KeysInTheListActOnTheSelectedLine) {
  TfrmMain& m = OpenMain();
  TfrmBookmark& f = OpenShown();
  // With no line selected the letters do nothing.
  for (wchar_t key : {L's', L'G', L'd', L'C'}) Type(key);
  EXPECT_EQ(Lines(f), InitialLines());
  EXPECT_TRUE(f.GetVisible());

  // The digits select by label (the list's own type-ahead).
  Type(L'3');
  ASSERT_EQ(f.ListBox1->GetItemIndex(), 2);
  Type(L'd');
  EXPECT_EQ(Line(2), L"3 ");
  EXPECT_EQ(f.ListBox1->GetItemIndex(), 2);
  EXPECT_TRUE(f.GetVisible());

  m.Expl1Focus = true;
  m.ShellTree->SetSelectedFolder(data);
  Type(L'S');
  EXPECT_TRUE(SameText(Line(2), L"3 " + data));
  EXPECT_FALSE(f.GetVisible());

  m.ShellTree->SetSelectedFolder(first);
  f.Show();
  Select(2);
  Type(L'g');
  EXPECT_TRUE(SameText(m.ShellTree->GetSelectedFolder(), data));
  EXPECT_FALSE(f.GetVisible());

  f.Show();
  Select(0);
  Type(L'c');
  EXPECT_FALSE(f.GetVisible());
  EXPECT_EQ(Line(0), L"1 C:\\tmp");
}

TEST_F(BookmarkCommandTest, TheMenuShowsTheWindowWithItsListFocused) {
  TfrmMain& m = OpenMain();
  TfrmBookmark& f = Open();
  frmBookmark = &f;
  m.Bookmark1Click(m.Bookmark1);
  EXPECT_TRUE(f.GetVisible());
  EXPECT_TRUE(PumpMessagesUntil([&] { return f.ListBox1->Focused(); }, 5000));
  // Again while it is open behind the main window.
  m.ShellTree->SetFocus();
  ASSERT_TRUE(PumpMessagesUntil([&] { return m.ShellTree->Focused(); }, 5000));
  m.Bookmark1Click(m.Bookmark1);
  EXPECT_TRUE(PumpMessagesUntil([&] { return f.ListBox1->Focused(); }, 5000));
  frmBookmark = nullptr;
}

TEST_F(BookmarkCommandTest, TheKeyboardReachesEveryCommandByTabAccessKeysEnterAndEsc) {
  TfrmMain& m = OpenMain();
  TfrmBookmark& f = OpenShown();
  // Shown, the window's focus is on its list, first in the tab order.
  ASSERT_TRUE(PumpApplicationUntil([&] { return f.ListBox1->Focused(); }));
  for (TWinControl* expected : std::initializer_list<TWinControl*>{f.btnSave, f.btnGoto, f.btnDelete,
                                                                     f.btnEscape, f.ListBox1}) {
    PressKey(VK_TAB);
    EXPECT_TRUE(expected->Focused()) << WideToUtf8(expected->GetName());
  }
  PressKey(VK_TAB, true);
  EXPECT_TRUE(f.btnEscape->Focused());
  f.ListBox1->SetFocus();

  // Alt+D clears the selected line; the window and the focus stay.
  Select(2);
  TypeAltChar(L'd');
  EXPECT_EQ(Line(2), L"3 ");
  EXPECT_TRUE(f.GetVisible());
  EXPECT_TRUE(f.ListBox1->Focused());
  // Alt+S saves the remembered pane's folder into it and closes.
  m.Expl1Focus = true;
  m.ShellTree->SetSelectedFolder(data);
  TypeAltChar(L'S');
  EXPECT_TRUE(SameText(Line(2), L"3 " + data));
  EXPECT_FALSE(f.GetVisible());

  // Enter goes to the selected line's folder, as the default button.
  m.ShellTree->SetSelectedFolder(first);
  f.Show();
  f.ListBox1->SetFocus();
  Select(2);
  PressKey(VK_RETURN);
  EXPECT_TRUE(SameText(m.ShellTree->GetSelectedFolder(), data));
  EXPECT_FALSE(f.GetVisible());
  // So does Alt+G, from a button too.
  m.ShellTree->SetSelectedFolder(first);
  f.Show();
  f.btnDelete->SetFocus();
  Select(2);
  TypeAltChar(L'g');
  EXPECT_TRUE(SameText(m.ShellTree->GetSelectedFolder(), data));
  EXPECT_FALSE(f.GetVisible());

  // Esc and Alt+C close the window and change nothing.
  const std::vector<std::wstring> before = Lines(f);
  f.Show();
  f.ListBox1->SetFocus();
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(f.GetVisible());
  f.Show();
  f.btnSave->SetFocus();
  TypeAltChar(L'c');
  EXPECT_FALSE(f.GetVisible());
  EXPECT_EQ(Lines(f), before);
  EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace ts::test
