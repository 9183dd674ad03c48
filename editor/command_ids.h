#pragma once

// Every command and control id of the program, in one place.
namespace vantrel {

enum CommandId : unsigned short {
  kCmdNew = 101,
  kCmdOpen = 102,
  kCmdSave = 103,
  kCmdExit = 104,
  kCmdEncrypt = 201,
  kCmdDecrypt = 202,
  kCmdAbout = 301,
  kCmdEncryptionNote = 302,
  kCmdDecryptionNote = 303,
};

// The main window's edit box.
inline constexpr unsigned short kIdEditBox = 1000;

// The password prompt.
inline constexpr unsigned short kIdPasswordLabel = 1128;
inline constexpr unsigned short kIdPasswordEntry = 1002;

}  // namespace vantrel
