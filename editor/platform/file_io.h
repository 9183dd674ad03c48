#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "editor/platform/platform.h"

namespace vantrel {

// Reads the whole file at `path` (full path, UTF-16) into `out`, sharing it for reading only.
// Files of 2 GiB or more are refused. On failure `out` is empty and the status says why.
IoStatus ReadFileBytes(const std::wstring& path, Bytes& out);

// Replaces the file at `path` by `bytes` in one step: the bytes go to a temporary file in the
// same folder, which is flushed and then swapped in (keeping an existing file's attributes).
// A read-only target is refused. On any failure the old file is left exactly as it was and the
// temporary file is removed.
IoStatus WriteFileBytesAtomically(const std::wstring& path, std::span<const std::uint8_t> bytes);

}  // namespace vantrel
