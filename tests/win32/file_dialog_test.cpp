#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "editor/platform/file_dialog.h"

namespace vantrel {
namespace {

TEST(FilterListTest, FilterTextBecomesTheDoubleNulList) {
  using namespace std::string_literals;
  const struct {
    std::wstring text;
    std::wstring list;
  } cases[] = {
      {L"\u6587\u672C\u6587\u4EF6(.txt)|*.txt", L"\u6587\u672C\u6587\u4EF6(.txt)\0*.txt\0\0"s},
      {L"\u6587\u672C\u6587\u4EF6(.txt)|*.txt|\u6240\u6709\u6587\u4EF6(*.*)|*.*",
       L"\u6587\u672C\u6587\u4EF6(.txt)\0*.txt\0\u6240\u6709\u6587\u4EF6(*.*)\0*.*\0\0"s},
      {L"", L""},
      {L"  \t", L""},
      {L"a|b \t\r\n", L"a\0b\0\0"s},   // white space at the end goes
      {L"a b|*.b", L"a b\0*.b\0\0"s},  // white space inside stays
      {L"a|b||", L"a\0b\0\0"s},        // already ended
      {L"a|b|", L"a\0b\0\0\0"s},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BuildFilterList(c.text), c.list);
  }
}

TEST(FilterListTest, InitialPairCountsFromOne) {
  EXPECT_EQ(FilterIndex(L"", 0), 0u);
  EXPECT_EQ(FilterIndex(L"a|b", 0), 1u);
  EXPECT_EQ(FilterIndex(L"a|b|c|d", 1), 2u);
  EXPECT_EQ(FilterIndex(L"a|b", -3), 1u);
}

}  // namespace
}  // namespace vantrel
