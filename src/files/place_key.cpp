// SPDX-License-Identifier: MIT
#include "files/place_key.h"

#include <cerrno>
#include <optional>

#include "files/descriptor_path.h"
#include "files/file_identity.h"
#include "files/file_system.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace bmpresize {

namespace {

void AppendHex(std::string& key, std::uint64_t n, int digits) {
  static const char kDigits[] = "0123456789abcdef";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) key += kDigits[(n >> shift) & 15];
}

// "F" and the identity of an existing file; "N", the identity of a folder
// and a name for a file to be made there.
std::string IdentityKey(char what, const FileId& id) {
  std::string key(1, what);
  AppendHex(key, id.device, 16);
  AppendHex(key, id.file, 16);
  return key;
}

// The name as the file system tells names apart: on Windows without regard
// to case, each UTF-16 unit as four hex digits (so that no two names, valid
// UTF-16 or not, share a key); elsewhere the bytes as they are.
void AppendName(std::string& key, PathView name) {
#ifdef _WIN32
  std::wstring upper(name.size(), L'\0');
  const int n = name.empty()
                    ? 0
                    : LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, name.data(), static_cast<int>(name.size()),
                                    upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0);
  if (n == static_cast<int>(name.size())) name = upper;
  for (const wchar_t unit : name) AppendHex(key, unit, 4);
#else
  key.append(name.data(), name.size());
#endif
}

// The key of a file yet to be made at path (nothing there, or a dangling link).
SysResult NewFileKey(const PathChar* path, std::string& key) {
  const SysValue<OwnedText> target = FollowLinks(path);
  if (!target.Ok()) return {target.error};
  const PathView name = NamePart(target.value.get());
  if (name.empty()) return {EISDIR};
  const PathView folder = FolderPart(target.value.get());
  const OwnedText folderPath = JoinText({folder.empty() ? PathView(NATIVE_TEXT(".")) : folder});
  if (!folderPath) return {ENOMEM};
  FileId id;
  FileKind kind;
  if (const SysResult looked = LookAt(folderPath.get(), id, kind); !looked.Ok()) return looked;
  if (kind != FileKind::kFolder) return {ENOTDIR};
  key = IdentityKey('N', id) + '/';
  AppendName(key, name);
  return {};
}

}  // namespace

SysResult DescriptorKeyOf(int fd, std::string& key) {
  FileId id;
  const SysResult known = OpenRegularFileId(fd, id);
  if (known.Ok()) key = IdentityKey('F', id);
  return known;
}

SysResult PlaceKeyOf(const PathChar* path, std::string& key) {
  if (path == nullptr) return {EINVAL};
  if (*path == 0) return {ENOENT};
  if (const std::optional<int> fd = DescriptorOfPath(path)) return DescriptorKeyOf(*fd, key);
  FileId id;
  FileKind kind;
  const SysResult looked = LookAt(path, id, kind);
  if (looked.error == ENOENT) return NewFileKey(path, key);
  if (!looked.Ok()) return looked;
  if (kind == FileKind::kFolder) return {EISDIR};
  if (kind != FileKind::kRegular) return {ESPIPE};
  key = IdentityKey('F', id);
  return {};
}

}  // namespace bmpresize
