#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "editor/platform/platform.h"

namespace vantrel::test {

inline Bytes ToBytes(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

// A Platform that plays a script: modal boxes take their answers from queues, files live in a
// map, and every call is recorded in order as one line of text:
//   "message <buttons> <title> <text>"   buttons: OK, OKCancel, YesNoCancel
//   "password <title> <prompt>", "dialog save", "dialog open", "read edit", "set edit",
//   "read file <path>", "write file <path>", "busy on", "busy off"
// A modal call with nothing scripted, or one made under the wait cursor, fails the test.
class FakePlatform final : public Platform {
 public:
  // The edit box.
  EditContent content;
  // Answers of the message boxes with a choice, the file dialogs (nothing = cancelled) and the
  // password prompt (nothing = cancelled), consumed in order.
  std::deque<Answer> answers;
  std::deque<std::optional<std::string>> paths;
  std::deque<std::optional<PasswordEntry>> passwords;
  // The file system, and the reason reported for each path that cannot be read or written.
  std::map<std::string, Bytes> files;
  std::map<std::string, std::string> failures;
  // Runs inside the next modal call, once: a way to deliver a command while a box is up.
  std::function<void()> duringModal;

  std::vector<std::string> calls;

  void QueuePassword(std::string_view bytes, std::size_t unrepresentable = 0) {
    passwords.push_back(PasswordEntry{sealing::SecretBytes(bytes), unrepresentable});
  }

  EditContent ReadEditContent() override {
    calls.push_back("read edit");
    return content;
  }

  void SetEditContent(std::span<const std::uint8_t> bytes) override {
    calls.push_back("set edit");
    content = EditContent{Bytes(bytes.begin(), bytes.end()), 0};
  }

  Answer ShowMessage(std::string_view text, std::string_view title, Buttons buttons) override {
    calls.push_back("message " + std::string(ButtonsName(buttons)) + " " + std::string(title) +
                    " " + std::string(text));
    Modal();
    if (buttons == Buttons::kOk)
      return Answer::kOk;  // nothing to choose: never scripted
    if (answers.empty()) {
      ADD_FAILURE() << "unscripted message box: " << text;
      return Answer::kCancel;
    }
    return Pop(answers);
  }

  std::optional<PasswordEntry> AskPassword(std::string_view prompt,
                                           std::string_view title) override {
    calls.push_back("password " + std::string(title) + " " + std::string(prompt));
    Modal();
    if (passwords.empty()) {
      ADD_FAILURE() << "unscripted password prompt";
      return std::nullopt;
    }
    return Pop(passwords);
  }

  std::optional<std::string> ShowFileDialog(FileDialogKind kind) override {
    calls.push_back(kind == FileDialogKind::kSave ? "dialog save" : "dialog open");
    Modal();
    if (paths.empty()) {
      ADD_FAILURE() << "unscripted file dialog";
      return std::nullopt;
    }
    return Pop(paths);
  }

  IoStatus ReadWholeFile(const std::string& path, Bytes& out) override {
    calls.push_back("read file " + path);
    if (auto failure = failures.find(path); failure != failures.end()) {
      return {false, failure->second};
    }
    auto file = files.find(path);
    if (file == files.end())
      return {false, "系统找不到指定的文件。"};
    out = file->second;
    return {true, {}};
  }

  IoStatus WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) override {
    calls.push_back("write file " + path);
    if (auto failure = failures.find(path); failure != failures.end()) {
      return {false, failure->second};
    }
    files[path] = Bytes(bytes.begin(), bytes.end());
    return {true, {}};
  }

  std::unique_ptr<BusyScope> ShowBusy() override { return std::make_unique<Busy>(*this); }

 private:
  class Busy final : public BusyScope {
   public:
    explicit Busy(FakePlatform& platform) : platform_(platform) {
      platform_.calls.push_back("busy on");
      ++platform_.busyDepth_;
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
    ~Busy() override {
      --platform_.busyDepth_;
      platform_.calls.push_back("busy off");
    }

   private:
    FakePlatform& platform_;
  };

  static std::string_view ButtonsName(Buttons buttons) {
    switch (buttons) {
      case Buttons::kOk:
        return "OK";
      case Buttons::kOkCancel:
        return "OKCancel";
      case Buttons::kYesNoCancel:
        return "YesNoCancel";
    }
    return "?";
  }

  template <typename T>
  static T Pop(std::deque<T>& queue) {
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
  }

  void Modal() {
    if (busyDepth_ > 0)
      ADD_FAILURE() << "modal box under the wait cursor: " << calls.back();
    if (auto hook = std::exchange(duringModal, nullptr))
      hook();
  }

  int busyDepth_ = 0;
};

}  // namespace vantrel::test
