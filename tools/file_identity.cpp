// SPDX-License-Identifier: MIT
#include "file_identity.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32

bool HandleIdentity(HANDLE handle, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info)) return false;
  identity.device = info.dwVolumeSerialNumber;
  identity.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

#else

FileIdentity StatIdentity(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

#endif

}  // namespace

bool IdentityOf(const std::string& path, FileIdentity& identity) {
#ifdef _WIN32
  fs::path native;
  try {
    native = fs::u8path(path);
  } catch (...) {
    return false;
  }
  // No access asked: only the file's identity is read.
  const HANDLE file = CreateFileW(native.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  const bool known = HandleIdentity(file, identity);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return known;
#else
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  identity = StatIdentity(st);
  return true;
#endif
}

bool RegularIdentity(std::FILE* stream, FileIdentity& identity) {
#ifdef _WIN32
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  return handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK && HandleIdentity(handle, identity);
#else
  struct stat st;
  if (fstat(fileno(stream), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  identity = StatIdentity(st);
  return true;
#endif
}

std::string FollowLinks(const std::string& path) {
  // As the kernel follows links: at most 40 in a row.
  constexpr int kMaxLinks = 40;
  try {
    fs::path current = fs::u8path(path);
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
      std::error_code ec;
      if (!fs::is_symlink(fs::symlink_status(current, ec))) return current.u8string();
      const fs::path target = fs::read_symlink(current, ec);
      if (ec) return "";
      // A relative link is relative to the folder that holds it.
      current = target.is_absolute() ? target : current.parent_path() / target;
    }
  } catch (...) {
  }
  return "";
}
