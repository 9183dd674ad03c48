#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sealing/secret.h"

namespace vantrel {

using Bytes = std::vector<std::uint8_t>;

// The edit box content as document bytes (GBK, byte-exact). Characters that GBK cannot hold
// are counted in `unrepresentable` and stand as '?' in `bytes`.
struct EditContent {
  Bytes bytes;
  std::size_t unrepresentable = 0;
};

// A password as typed, in GBK. `unrepresentable` counts characters GBK cannot hold; such a
// password must be refused, never used.
struct PasswordEntry {
  sealing::SecretBytes bytes;
  std::size_t unrepresentable = 0;
};

enum class Buttons { kOk, kOkCancel, kYesNoCancel };
enum class Answer { kOk, kCancel, kYes, kNo };

enum class FileDialogKind { kSave, kOpen };

// Outcome of a file operation. On failure `reason` is the system's own explanation (UTF-8).
struct IoStatus {
  bool ok = false;
  std::string reason;
};

// Everything the commands need from the window system and the file system. All texts and
// paths are UTF-8; document content is bytes.
class Platform {
 public:
  virtual ~Platform() = default;

  virtual EditContent ReadEditContent() = 0;
  // Replaces the whole edit box text. The control's own change notifications during the
  // replacement raise nothing; the caller raises the content-changed event itself.
  virtual void SetEditContent(std::span<const std::uint8_t> bytes) = 0;

  // A task-modal message box with no owner and no icon.
  virtual Answer ShowMessage(std::string_view text, std::string_view title, Buttons buttons) = 0;

  // The masked password prompt. Nothing when the user cancels or the prompt cannot be shown.
  virtual std::optional<PasswordEntry> AskPassword(std::string_view prompt,
                                                   std::string_view title) = 0;

  // Shows the dialog preloaded with its own remembered path; returns the confirmed full path,
  // which the dialog then remembers, or nothing when not confirmed.
  virtual std::optional<std::string> ShowFileDialog(FileDialogKind kind) = 0;

  virtual IoStatus ReadWholeFile(const std::string& path, Bytes& out) = 0;
  // Atomic: on failure the old file is left exactly as it was.
  virtual IoStatus WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) = 0;

  // Shows the wait cursor until the returned value is destroyed.
  class BusyScope {
   public:
    virtual ~BusyScope() = default;
  };
  virtual std::unique_ptr<BusyScope> ShowBusy() { return nullptr; }
};

}  // namespace vantrel
