#include "editor/platform/file_io.h"

#include <windows.h>

#include <algorithm>
#include <new>

#include "editor/platform/handles.h"
#include "editor/platform/wide_text.h"

namespace vantrel {
namespace {

constexpr LONGLONG kMaxFileSize = 0x7FFFFFFF;  // the document length is a signed 32-bit count
constexpr DWORD kMaxChunk = 1u << 24;          // per ReadFile/WriteFile call

IoStatus Failure(DWORD error) {
  return {false, SystemErrorText(error)};
}

IoStatus LastFailure() {
  return Failure(GetLastError());
}

// The folder part of `path` with its trailing separator, or empty for a bare name.
std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos) {
    return path.substr(0, slash + 1);
  }
  if (path.size() >= 2 && path[1] == L':') {
    return path.substr(0, 2);
  }
  return {};
}

struct TempFile {
  std::wstring path;
  UniqueHandle handle;
};

// Creates a new, empty file with a fresh name in `folder`. CREATE_NEW never reuses a name.
IoStatus CreateTempFile(const std::wstring& folder, TempFile& temp) {
  DWORD error = ERROR_FILE_EXISTS;
  for (unsigned attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
    const unsigned long long stamp = GetTickCount64() * 131u + attempt;
    temp.path = folder + L"~vantrel" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(stamp) + L".tmp";
    temp.handle = UniqueHandle(CreateFileW(temp.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (temp.handle.valid()) {
      return {true, {}};
    }
    error = GetLastError();
  }
  temp.path.clear();
  return Failure(error);
}

IoStatus WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kMaxChunk));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
      return LastFailure();
    }
    if (written == 0) {
      return Failure(ERROR_WRITE_FAULT);
    }
    bytes = bytes.subspan(written);
  }
  return {true, {}};
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Replaces the existing file at `path` by `temp`. The old file goes to a backup name of our own
// (without one, some ReplaceFileW implementations leave their own backup behind on failure),
// which is removed afterwards, or put back if the swap stopped half way.
IoStatus ReplaceExisting(const std::wstring& temp, const std::wstring& path, DWORD oldAttributes) {
  const std::wstring backup = temp + L".old";
  if (!ReplaceFileW(path.c_str(), temp.c_str(), backup.c_str(), 0, nullptr, nullptr)) {
    const DWORD error = GetLastError();
    if (!Exists(path) && Exists(backup)) {
      MoveFileExW(backup.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
    } else if (Exists(path)) {
      DeleteFileW(backup.c_str());
    }
    return Failure(error);
  }
  DeleteFileW(backup.c_str());
  // Not every ReplaceFileW carries the attributes over; make sure they are the old ones.
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD wanted = oldAttributes & kKept;
  if ((GetFileAttributesW(path.c_str()) & kKept) != wanted) {
    SetFileAttributesW(path.c_str(), wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL);
  }
  return {true, {}};
}

// Swaps the finished temporary file in for `path`.
IoStatus SwapIn(const std::wstring& temp, const std::wstring& path, DWORD oldAttributes) {
  if (oldAttributes != INVALID_FILE_ATTRIBUTES && Exists(path)) {
    return ReplaceExisting(temp, path, oldAttributes);
  }
  // A new file, or the old one vanished meanwhile.
  if (!MoveFileExW(temp.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return LastFailure();
  }
  return {true, {}};
}

IoStatus WriteTempThenSwap(const std::wstring& path,
                           std::span<const std::uint8_t> bytes,
                           DWORD oldAttributes,
                           TempFile& temp) {
  IoStatus status = CreateTempFile(FolderOf(path), temp);
  if (!status.ok) {
    return status;
  }
  status = WriteAll(temp.handle.get(), bytes);
  if (!status.ok) {
    return status;
  }
  if (!FlushFileBuffers(temp.handle.get()) || !temp.handle.Close()) {
    return LastFailure();
  }
  return SwapIn(temp.path, path, oldAttributes);
}

}  // namespace

IoStatus ReadFileBytes(const std::wstring& path, Bytes& out) {
  out.clear();
  if (path.empty()) {
    return Failure(ERROR_INVALID_NAME);
  }
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    return LastFailure();
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) {
    return LastFailure();
  }
  if (size.QuadPart > kMaxFileSize) {
    return {false, "文件大于或等于 2 GB，无法打开。"};
  }
  try {
    out.resize(static_cast<std::size_t>(size.QuadPart));
  } catch (const std::bad_alloc&) {
    return Failure(ERROR_NOT_ENOUGH_MEMORY);
  }
  std::size_t done = 0;
  while (done < out.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, kMaxChunk));
    DWORD got = 0;
    if (!ReadFile(file.get(), out.data() + done, chunk, &got, nullptr)) {
      const IoStatus failure = LastFailure();
      out.clear();
      return failure;
    }
    if (got == 0) {
      break;  // the file became shorter since its size was taken
    }
    done += got;
  }
  out.resize(done);
  return {true, {}};
}

IoStatus WriteFileBytesAtomically(const std::wstring& path, std::span<const std::uint8_t> bytes) {
  if (path.empty()) {
    return Failure(ERROR_INVALID_NAME);
  }
  const DWORD oldAttributes = GetFileAttributesW(path.c_str());
  if (oldAttributes != INVALID_FILE_ATTRIBUTES) {
    if (oldAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      return Failure(ERROR_ACCESS_DENIED);
    }
    // Checked here because some MoveFileExW implementations replace a read-only file.
    if (oldAttributes & FILE_ATTRIBUTE_READONLY) {
      return {false, "文件是只读的，不能覆盖。"};
    }
  }
  TempFile temp;
  const IoStatus status = WriteTempThenSwap(path, bytes, oldAttributes, temp);
  if (!status.ok && !temp.path.empty()) {
    temp.handle.Close();
    DeleteFileW(temp.path.c_str());
  }
  return status;
}

}  // namespace vantrel
