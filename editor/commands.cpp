#include "editor/commands.h"

#include <utility>

#include "editor/messages.h"
#include "sealing/seal.h"

namespace vantrel {
namespace {

// The sealing algorithm selector of the editor's sealed text: DES.
constexpr int kAlgorithmDes = 1;

// Marks a command as running for as long as it lives.
class RunningScope {
 public:
  explicit RunningScope(bool& flag) : flag_(flag) { flag_ = true; }
  RunningScope(const RunningScope&) = delete;
  RunningScope& operator=(const RunningScope&) = delete;
  ~RunningScope() { flag_ = false; }

 private:
  bool& flag_;
};

}  // namespace

void Commands::Run(CommandId id) {
  if (busy_)
    return;
  RunningScope running(busy_);
  switch (id) {
    case kCmdNew:
      New();
      break;
    case kCmdOpen:
      Open();
      break;
    case kCmdSave:
      Save();
      break;
    case kCmdEncrypt:
      Encrypt();
      break;
    case kCmdDecrypt:
      Decrypt();
      break;
    case kCmdAbout:
      ShowNote(messages::kAboutText, messages::kAboutTitle);
      break;
    case kCmdEncryptionNote:
      ShowNote(messages::kEncryptionNote, messages::kNoteTitle);
      break;
    case kCmdDecryptionNote:
      ShowNote(messages::kDecryptionNote, messages::kNoteTitle);
      break;
    case kCmdExit:  // the window closes itself after QueryClose
    default:
      break;
  }
}

bool Commands::QueryClose() {
  if (busy_)
    return false;
  RunningScope running(busy_);
  return SaveIfModified();
}

void Commands::New() {
  if (!SaveIfModified())
    return;
  SetContent({});
}

void Commands::Open() {
  std::optional<std::string> path = platform_.ShowFileDialog(FileDialogKind::kOpen);
  if (!path)
    return;
  IoStatus status;
  {
    auto busy = platform_.ShowBusy();
    Bytes bytes;
    status = platform_.ReadWholeFile(*path, bytes);
    if (status.ok)
      SetContent(bytes);
  }
  if (!status.ok)
    ShowFileError(messages::kOpenFailed, *path, status.reason);
}

bool Commands::Save() {
  std::optional<std::string> path = platform_.ShowFileDialog(FileDialogKind::kSave);
  if (!path)
    return false;
  EditContent content = platform_.ReadEditContent();
  if (!ConfirmLossyText(content.unrepresentable, messages::kLossySaveTail))
    return false;
  IoStatus status;
  {
    auto busy = platform_.ShowBusy();
    status = platform_.WriteWholeFile(*path, content.bytes);
  }
  if (!status.ok) {
    ShowFileError(messages::kSaveFailed, *path, status.reason);
    return false;
  }
  modified_ = false;
  return true;
}

void Commands::Encrypt() {
  EditContent content = platform_.ReadEditContent();
  // Warn before the prompt: no password is typed for a text the user would rather fix first.
  if (!ConfirmLossyText(content.unrepresentable, messages::kLossyEncryptTail))
    return;
  ReplaceUnderPassword(Direction::kSeal, content.bytes, messages::kEncryptFailed);
}

void Commands::Decrypt() {
  EditContent content = platform_.ReadEditContent();
  ReplaceUnderPassword(Direction::kUnseal, content.bytes, messages::kDecryptFailed);
}

void Commands::ReplaceUnderPassword(Direction direction,
                                    std::span<const std::uint8_t> input,
                                    std::string_view failure) {
  const bool toSeal = direction == Direction::kSeal;
  std::optional<sealing::SecretBytes> password =
      toSeal ? AskPassword(messages::kEncryptPrompt, messages::kEncryptTitle)
             : AskPassword(messages::kDecryptPrompt, messages::kDecryptTitle);
  if (!password)
    return;
  auto busy = platform_.ShowBusy();
  Bytes result = toSeal ? sealing::seal(input, password->view(), kAlgorithmDes)
                        : sealing::unseal(input, password->view(), kAlgorithmDes);
  password.reset();  // wipes the password now, before anything else runs
  if (result.empty() && !input.empty()) {
    busy.reset();
    ShowError(failure);
    return;
  }
  SetContent(result);
}

void Commands::ShowNote(std::string_view text, std::string_view title) {
  platform_.ShowMessage(text, title, Buttons::kOk);
}

bool Commands::SaveIfModified() {
  if (!modified_)
    return true;
  switch (platform_.ShowMessage(messages::kSaveQuestion, messages::kDefaultTitle,
                                Buttons::kYesNoCancel)) {
    case Answer::kYes:
      return Save();
    case Answer::kNo:
      return true;
    default:
      return false;
  }
}

bool Commands::ConfirmLossyText(std::size_t lost, std::string_view tail) {
  if (lost == 0)
    return true;
  std::string text(messages::kLossyTextHead);
  text += std::to_string(lost);
  text += tail;
  return platform_.ShowMessage(text, messages::kDefaultTitle, Buttons::kOkCancel) == Answer::kOk;
}

std::optional<sealing::SecretBytes> Commands::AskPassword(std::string_view prompt,
                                                          std::string_view title) {
  std::optional<PasswordEntry> entry = platform_.AskPassword(prompt, title);
  if (!entry)
    return std::nullopt;
  if (entry->unrepresentable > 0) {
    entry.reset();
    ShowError(messages::kPasswordRefused);
    return std::nullopt;
  }
  return std::move(entry->bytes);
}

void Commands::ShowFileError(std::string_view heading,
                             const std::string& path,
                             const std::string& reason) {
  std::string text(heading);
  text += '\n';
  text += path;
  if (!reason.empty()) {
    text += "\n\n";
    text += reason;
  }
  ShowError(text);
}

void Commands::ShowError(std::string_view text) {
  platform_.ShowMessage(text, messages::kDefaultTitle, Buttons::kOk);
}

void Commands::SetContent(std::span<const std::uint8_t> bytes) {
  platform_.SetEditContent(bytes);
  OnContentChanged();
}

}  // namespace vantrel
