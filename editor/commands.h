#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "editor/command_ids.h"
#include "editor/platform/platform.h"
#include "sealing/secret.h"

namespace vantrel {

// The editor's commands and its modified flag. Portable: everything outside the process goes
// through the Platform it is given.
class Commands {
 public:
  explicit Commands(Platform& platform) : platform_(platform) {}
  Commands(const Commands&) = delete;
  Commands& operator=(const Commands&) = delete;

  // Runs the command of a menu item. A command that arrives while another one still runs
  // (possible through posted messages while a modal box is up) is ignored. Exit is not a
  // command here: the window asks QueryClose and closes itself, so kCmdExit does nothing.
  void Run(CommandId id);

  // The content-changed event for a change the user made in the edit box.
  void OnContentChanged() { modified_ = true; }

  // Whether the window may close now. With unsaved changes the save question is asked first;
  // false while another command runs.
  bool QueryClose();

  bool modified() const { return modified_; }

 private:
  void New();
  void Open();
  // Returns whether the file was written.
  bool Save();
  void Encrypt();
  void Decrypt();
  enum class Direction { kSeal, kUnseal };
  // Asks for the password, seals or unseals `input` and puts the result in the edit box. An
  // empty result from non-empty input is a failure: `failure` is shown and nothing changes.
  void ReplaceUnderPassword(Direction direction,
                            std::span<const std::uint8_t> input,
                            std::string_view failure);
  void ShowNote(std::string_view text, std::string_view title);

  // The save question when the flag is set: true when the caller may go on (Yes and the file
  // was written, or No).
  bool SaveIfModified();
  // Asks before text holding `lost` characters that GBK cannot hold is used; true to go on.
  bool ConfirmLossyText(std::size_t lost, std::string_view tail);
  // The password prompt; nothing when cancelled or when the password was refused.
  std::optional<sealing::SecretBytes> AskPassword(std::string_view prompt, std::string_view title);
  void ShowFileError(std::string_view heading, const std::string& path, const std::string& reason);
  void ShowError(std::string_view text);
  // Sets the edit box content, then raises the content-changed event.
  void SetContent(std::span<const std::uint8_t> bytes);

  Platform& platform_;
  bool modified_ = false;
  bool busy_ = false;
};

}  // namespace vantrel
