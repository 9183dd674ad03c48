#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/exit_status.h"
#include "tools/options.h"
#include "tools/password.h"

namespace vantrel::tool {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

TEST(FirstLine, TakesTheFirstLineWithoutItsBreak) {
  const struct {
    std::string_view file;
    std::string_view line;
  } cases[] = {
      {"secret", "secret"},
      {"secret\n", "secret"},
      {"secret\r\nsecond", "secret"},
      {"se\rcret\n", "se\rcret"},  // only a CR right before the LF belongs to the break
      {"secret\r", "secret\r"},    // no LF: the CR is part of the text
      {"\nsecret", ""},
      {"\xEF\xBB\xBFsecret\r\n", "secret"},
      {"", ""},
  };
  for (const auto& c : cases) {
    const Bytes file = ToBytes(c.file);
    const auto line = FirstLine(file);
    EXPECT_EQ(std::string(line.begin(), line.end()), c.line) << c.file;
  }
}

TEST(PasswordToGbk, ConvertsUtf8ToTheBytesTheEditorSealsWith) {
  const struct {
    std::string_view utf8;
    Bytes gbk;
  } cases[] = {
      {"abc 123", ToBytes("abc 123")},
      {"密码123", {0xC3, 0xDC, 0xC2, 0xEB, '1', '2', '3'}},
      {"記事本", {0xD3, 0x9B, 0xCA, 0xC2, 0xB1, 0xBE}},  // traditional forms are in GBK too
      {"€", {0x80}},
      {"", {}},
  };
  for (const auto& c : cases) {
    const sealing::SecretBytes gbk = PasswordToGbk(ToBytes(c.utf8), "测试");
    EXPECT_EQ(Bytes(gbk.bytes().begin(), gbk.bytes().end()), c.gbk) << c.utf8;
  }
}

TEST(PasswordToGbk, RefusesWhatCannotBeAPassword) {
  const std::string_view refused[] = {
      "\xF0\x9F\x94\x91",  // U+1F511, no GBK form
      "한국어",            // Hangul, no GBK form
      "\xC3\x28",          // broken UTF-8
      "\xC0\xAF",          // overlong form
      "\xED\xA0\x80",      // a surrogate
      std::string_view("a\0b", 3),
      "\xC3\xDC\xC2\xEB",  // GBK bytes given where UTF-8 belongs
  };
  for (const std::string_view text : refused) {
    try {
      PasswordToGbk(ToBytes(text), "测试");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.status(), ExitStatus::kUsage);
      EXPECT_NE(std::string(failure.what()).find("测试"), std::string::npos);
    }
  }
}

ParsedCommand Parse(std::vector<std::string> args) {
  return ParseArguments(args);
}

TEST(ParseArguments, AcceptsTheDocumentedForms) {
  ParsedCommand command = Parse({"seal", "--password-file", "p.txt", "-o", "out", "-f", "in"});
  ASSERT_EQ(command.kind, ParsedCommand::Kind::kRun) << command.error;
  EXPECT_EQ(command.options.mode, Mode::kSeal);
  EXPECT_EQ(command.options.password.kind, PasswordSource::Kind::kFile);
  EXPECT_EQ(command.options.password.argument, "p.txt");
  EXPECT_EQ(command.options.output, "out");
  EXPECT_TRUE(command.options.force);
  EXPECT_EQ(command.options.input, "in");

  command = Parse({"unseal", "--password-env=PW", "--", "-odd name"});
  ASSERT_EQ(command.kind, ParsedCommand::Kind::kRun) << command.error;
  EXPECT_EQ(command.options.mode, Mode::kUnseal);
  EXPECT_EQ(command.options.password.kind, PasswordSource::Kind::kEnvironment);
  EXPECT_EQ(command.options.password.argument, "PW");
  EXPECT_EQ(command.options.input, "-odd name");
  EXPECT_FALSE(command.options.output);
  EXPECT_FALSE(command.options.force);

  command = Parse({"seal", "-o", "-", "-"});
  ASSERT_EQ(command.kind, ParsedCommand::Kind::kRun) << command.error;
  EXPECT_EQ(command.options.password.kind, PasswordSource::Kind::kPrompt);
  EXPECT_FALSE(command.options.output);  // "-" is standard output
  EXPECT_EQ(command.options.input, "-");

  EXPECT_EQ(Parse({"--help"}).kind, ParsedCommand::Kind::kHelp);
  EXPECT_EQ(Parse({"unseal", "-h"}).kind, ParsedCommand::Kind::kHelp);
  EXPECT_EQ(Parse({"--version"}).kind, ParsedCommand::Kind::kVersion);
}

TEST(ParseArguments, RejectsUsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"encrypt", "in"},
      {"seal", "--password", "secret", "in"},
      {"seal", "--password=secret", "in"},
      {"seal", "-p", "secret"},
      {"seal", "--password-file"},
      {"seal", "--password-file="},
      {"seal", "--password-file", "a", "--password-env", "B"},
      {"seal", "-o", "a", "-o", "b"},
      {"seal", "in", "extra"},
      {"seal", "--frobnicate"},
      {"unseal", "--password-file", "-", "-"},
  };
  for (const auto& args : cases) {
    const ParsedCommand command = Parse(args);
    EXPECT_EQ(command.kind, ParsedCommand::Kind::kError)
        << (args.empty() ? std::string("(none)") : args.back());
    EXPECT_FALSE(command.error.empty());
    for (const std::string& arg : args) {
      if (arg == "secret") {
        EXPECT_EQ(command.error.find("secret"), std::string::npos) << "echoes the password";
      }
    }
  }
}

}  // namespace
}  // namespace vantrel::tool
