#pragma once

#include <gmock/gmock.h>

#include <ostream>
#include <string>
#include <vector>

// The recorded calls (see fake_platform.h) that the command tests expect, with the texts the
// user must see byte for byte.
namespace vantrel::test {

using CallMatcher = ::testing::Matcher<std::string>;
using Calls = std::vector<CallMatcher>;

inline const std::string kSaveQuestion = "message YesNoCancel 信息： 文件内容已被修改，是否保存？";
inline const std::string kEncryptPassword = "password 输入加密密码 请输入加密密码：";
inline const std::string kDecryptPassword = "password 输入解密密码 请输入解密密码：";

// An error box under the default title that names the file and gives the system's reason.
inline CallMatcher FileError(const std::string& verb,
                             const std::string& path,
                             const std::string& reason) {
  using ::testing::HasSubstr;
  return ::testing::AllOf(::testing::StartsWith("message OK 信息： "), HasSubstr(verb),
                          HasSubstr(path), HasSubstr(reason));
}

// The OK/Cancel warning that characters GBK cannot hold become "?", with their count.
inline CallMatcher LossyWarning(int count) {
  using ::testing::HasSubstr;
  return ::testing::AllOf(::testing::StartsWith("message OKCancel 信息： "),
                          HasSubstr(" " + std::to_string(count) + " "), HasSubstr("“?”"));
}

inline CallMatcher PasswordRefused() {
  using ::testing::HasSubstr;
  return ::testing::AllOf(::testing::StartsWith("message OK 信息： "), HasSubstr("密码"),
                          HasSubstr("GBK"));
}

inline CallMatcher DecryptFailed() {
  using ::testing::HasSubstr;
  return ::testing::AllOf(::testing::StartsWith("message OK 信息： "), HasSubstr("密码错误"),
                          HasSubstr("不是加密"));
}

// Cases print as their name in test output.
template <typename Case>
requires requires(const Case& c) {
  c.name;
}
void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

// Names each case of a table after its `name` field.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& param) {
  return param.param.name;
}

}  // namespace vantrel::test
