// Sort keys put together for plain texts must be the platform's own keys, so
// that a mix of both orders exactly as the locale's comparison does.
#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "toolkit/SortKeys.h"
#include "toolkit/Strings.h"

namespace ts::test {
namespace {

int Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

// Paths and names of the kinds a tree holds: plain ASCII, hyphens and
// apostrophes anywhere, letters in both cases, and some beyond ASCII.
std::vector<std::wstring> SampleTexts() {
  std::vector<std::wstring> texts = {
      L"C:\\Data\\Photos\\",     L"C:\\data\\photos\\",     L"C:\\Data\\Photos\\img.jpg", L"C:\\Data\\Photos-old\\",
      L"C:\\Data\\Photosold\\",  L"C:\\Data\\Photo's\\",    L"C:\\Data\\Photos_old\\",   L"C:\\Data\\Photos old\\",
      L"C:\\Data\\co-op",        L"C:\\Data\\coop",         L"C:\\Data\\co-op-",         L"-",
      L"'",                      L"a",                      L"A",                        L"ab",
      L"a-b",                    L"ab-",                    L"-ab",                      L"a--b",
      L"C:\\Data\\\u00e9t\u00e9", L"C:\\Data\\ete",         L"C:\\Data\\Stra\u00dfe",    L"C:\\Data\\Strasse",
      L"C:\\Data\\\u0434\u043e\u043c", L"C:\\Data\\~$temp", L"C:\\Data\\[1] (2) {3}",   L"C:\\Data\\10",
      L"C:\\Data\\9",            L"C:\\Data\\file.TXT",     L"C:\\Data\\file.txt",       L"C:\\Data\\file.txt.bak",
  };
  // And random ones from an alphabet rich in the characters weighed apart.
  const std::wstring alphabet = L"aAbBzZ09 -'._\\:~!#$%&()+,;=@[]^`{}\u00e9\u00dc";
  std::mt19937 random(20261209);
  std::uniform_int_distribution<size_t> length(1, 24), pick(0, alphabet.size() - 1);
  for (int i = 0; i < 300; ++i) {
    std::wstring text;
    for (size_t n = length(random); n > 0; --n) text += alphabet[pick(random)];
    texts.push_back(text);
  }
  return texts;
}

TEST(SortKeysTest, KeysAreThePlatformsAndOrderAsTheLocalesCaseInsensitiveComparison) {
  const std::vector<std::wstring> texts = SampleTexts();
  TSortKeys keys;
  for (const std::wstring& text : texts) ASSERT_TRUE(keys.Add(text)) << std::string(text.begin(), text.end());
  ASSERT_EQ(keys.Count(), texts.size());
  for (size_t i = 0; i < texts.size(); ++i)
    EXPECT_EQ(keys.Key(i), PlatformSortKey(texts[i])) << "text " << i;
  int disagreements = 0;
  for (size_t i = 0; i < texts.size(); ++i)
    for (size_t j = 0; j < texts.size(); ++j)
      if (Sign(keys.Compare(i, j)) != Sign(CompareText(texts[i], texts[j]))) ++disagreements;
  EXPECT_EQ(disagreements, 0);
}

TEST(SortKeysTest, LongTextsWithAHyphenFarInKeepThePlatformsKey) {
  std::wstring text(300, L'a');
  text[200] = L'-';
  text[250] = L'\'';
  TSortKeys keys;
  ASSERT_TRUE(keys.Add(text));
  ASSERT_TRUE(keys.Add(std::wstring(32000, L'x') + L"-y"));
  EXPECT_EQ(keys.Key(0), PlatformSortKey(text));
  EXPECT_EQ(keys.Key(1), PlatformSortKey(std::wstring(32000, L'x') + L"-y"));
}

TEST(SortKeysTest, TextsDifferingOnlyInCaseAreEqualAndAnEmptyTextComesFirst) {
  TSortKeys keys;
  ASSERT_TRUE(keys.Add(L"C:\\Data\\ABC-def"));
  ASSERT_TRUE(keys.Add(L"c:\\data\\abc-DEF"));
  ASSERT_TRUE(keys.Add(L""));
  EXPECT_EQ(keys.Compare(0, 1), 0);
  EXPECT_LT(keys.Compare(2, 0), 0);
}

}  // namespace
}  // namespace ts::test
