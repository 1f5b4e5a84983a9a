// SPDX-License-Identifier: MIT
// A host program as an application would be: it loads the DLL at run time,
// finds the export by name and by ordinal, reads the module's resources, and
// resizes files through wide-character paths; and bmpresize.dll, loaded the
// same way, gives the same bytes through bmpresize_file_w.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "bmpresize.h"
#include "support/bmp_bytes.h"
#include "support/temp_dir.h"

using namespace bmpresize;

namespace {

using ResizeFunction = std::int32_t (*)(const wchar_t*, const wchar_t*, std::int32_t);

class DllHost : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryW(L"VANTRELBMPRESIZESCALE.dll");
    ASSERT_NE(module_, nullptr) << "LoadLibraryW failed: " << GetLastError();
    resize_ = reinterpret_cast<ResizeFunction>(reinterpret_cast<void*>(GetProcAddress(module_, "BMPResizeScale")));
    ASSERT_NE(resize_, nullptr);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }

  std::wstring Wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), n);
    w.resize(static_cast<std::size_t>(n - 1));
    return w;
  }

  HMODULE module_ = nullptr;
  ResizeFunction resize_ = nullptr;
};

TEST_F(DllHost, ExportsBMPResizeScaleByNameAndAsOrdinalOne) {
  FARPROC byOrdinal = GetProcAddress(module_, MAKEINTRESOURCEA(1));
  EXPECT_EQ(reinterpret_cast<void*>(byOrdinal), reinterpret_cast<void*>(resize_));
  EXPECT_EQ(GetProcAddress(module_, MAKEINTRESOURCEA(2)), nullptr);

  // The export directory names the module.
  const auto* base = reinterpret_cast<const std::uint8_t*>(module_);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  EXPECT_STREQ(reinterpret_cast<const char*>(base + exports->Name), "VANTRELBMPRESIZESCALE.dll");
  EXPECT_EQ(exports->NumberOfFunctions, 1u);
  EXPECT_EQ(exports->NumberOfNames, 1u);
  EXPECT_EQ(exports->Base, 1u);
}

TEST_F(DllHost, CarriesTheVersionBlock) {
  wchar_t path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(module_, path, MAX_PATH), 0u);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<std::uint8_t> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed->dwFileFlags, 0u);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
  EXPECT_EQ(fixed->dwFileSubtype, 0u);

  DWORD* translation = nullptr;
  ASSERT_TRUE(
      VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
  EXPECT_EQ(LOWORD(*translation), 0x0409);
  EXPECT_EQ(HIWORD(*translation), 1200);

  const struct {
    const wchar_t* key;
    const wchar_t* value;
  } strings[] = {
      {L"CompanyName", L""},
      {L"FileDescription", L"VantrelBMPResizeScale DLL"},
      {L"FileVersion", L"1, 0, 0, 1"},
      {L"InternalName", L"VantrelBMPResizeScale"},
      {L"LegalTrademarks", L""},
      {L"OriginalFilename", L"VantrelBMPResizeScale.DLL"},
      {L"ProductName", L"VantrelBMPResizeScale Dynamic Link Library"},
      {L"ProductVersion", L"1, 0, 0, 1"},
  };
  for (const auto& s : strings) {
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + s.key;
    wchar_t* value = nullptr;
    length = 0;
    const BOOL found = VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length);
    ASSERT_TRUE(found) << "missing key";
    EXPECT_EQ(std::wstring(value ? value : L""), std::wstring(s.value));
  }
}

TEST_F(DllHost, CarriesTheTypeLibrary) {
  HRSRC resource =
      FindResourceExW(module_, L"TYPELIB", MAKEINTRESOURCEW(1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  ASSERT_NE(resource, nullptr);
  HGLOBAL loaded = LoadResource(module_, resource);
  ASSERT_NE(loaded, nullptr);
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
  ASSERT_GE(SizeofResource(module_, resource), 64u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), 4), "MSFT");
}

std::vector<std::uint8_t> White2x2() {
  BmpBytes bytes;
  bytes.Headers(2, 2, 24, 54);
  for (int row = 0; row < 2; ++row) bytes.Bytes({255, 255, 255, 255, 255, 255, 0, 0});
  return bytes.data();
}

TEST_F(DllHost, ResizesThroughWidePathsIncludingNonAsciiNames) {
  TempDir dir;
  // "é", a CJK character and a character outside the basic plane (a surrogate pair).
  const std::string name = "pict\xC3\xA9-\xE7\x94\xBB-\xF0\x9F\x98\x80";
  const std::string source = dir.File(name + ".bmp");
  const std::string destination = dir.File(name + "-8x8.bmp");
  const std::wstring wideSource = Wide(source);
  WriteFileBytes(source, White2x2());

  ASSERT_EQ(resize_(wideSource.c_str(), Wide(destination).c_str(), 400), 999);
  const std::vector<std::uint8_t> out = ReadFileBytes(destination);
  ASSERT_EQ(out.size(), 54u + 8 * 24);
  EXPECT_EQ(LE32(out, 18), 8u);
  EXPECT_EQ(LE32(out, 22), 8u);
  EXPECT_EQ(LE16(out, 28), 24u);
  EXPECT_EQ(LE32(out, 38), 3780u);
  // Column 3 and row 3 come out at 254: truncation, not rounding.
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const std::size_t at = 54 + static_cast<std::size_t>(7 - y) * 24 + static_cast<std::size_t>(x) * 3;
      const int want = (x == 3 || y == 3) ? 254 : 255;
      EXPECT_EQ(out[at], want) << x << "," << y;
    }
  }
}

// The destination is replaced by a new file: an existing one, and the source
// itself, which is read while the new file is written and closed before the
// rename. No new file is left beside it.
TEST_F(DllHost, ReplacesAnExistingFileAndTheSourceItself) {
  TempDir dir;
  WriteFileBytes(dir.File("a.bmp"), White2x2());
  WriteFileBytes(dir.File("b.bmp"), {'k', 'e', 'e', 'p'});
  const std::wstring a = Wide(dir.File("a.bmp"));
  ASSERT_EQ(resize_(a.c_str(), Wide(dir.File("b.bmp")).c_str(), 200), 999);
  ASSERT_EQ(resize_(a.c_str(), a.c_str(), 200), 999);
  EXPECT_EQ(ReadFileBytes(dir.File("a.bmp")), ReadFileBytes(dir.File("b.bmp")));
  EXPECT_EQ(LE32(ReadFileBytes(dir.File("a.bmp")), 18), 4u);
  std::set<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(Wide(dir.File("*")).c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    names.insert(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  EXPECT_EQ(names, (std::set<std::wstring>{L".", L"..", L"a.bmp", L"b.bmp"}));
}

TEST_F(DllHost, AnswersEachFailureWithItsResult) {
  TempDir dir;
  WriteFileBytes(dir.File("good.bmp"), White2x2());
  WriteFileBytes(dir.File("not.bmp"), {'B', 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  WriteFileBytes(dir.File("empty.bmp"), {});
  const std::wstring good = Wide(dir.File("good.bmp"));
  const std::wstring notBmp = Wide(dir.File("not.bmp"));
  const std::wstring empty = Wide(dir.File("empty.bmp"));
  const std::wstring out = Wide(dir.File("out.bmp"));
  const std::wstring missingFolder = Wide(dir.File("no-such-folder/out.bmp"));

  EXPECT_EQ(resize_(Wide(dir.File("missing.bmp")).c_str(), out.c_str(), 50), 0);
  EXPECT_EQ(resize_(nullptr, out.c_str(), 50), 0);
  EXPECT_EQ(resize_(notBmp.c_str(), out.c_str(), 50), 0);
  EXPECT_EQ(resize_(empty.c_str(), out.c_str(), 50), -1);
  EXPECT_FALSE(FileExists(dir.File("out.bmp")));
  EXPECT_EQ(resize_(good.c_str(), missingFolder.c_str(), 50), -2);
  EXPECT_EQ(resize_(good.c_str(), nullptr, 50), -2);
  EXPECT_EQ(resize_(good.c_str(), out.c_str(), 2147483647), -3);
  EXPECT_EQ(resize_(good.c_str(), out.c_str(), 0), 999);
}

// The names in a module's export table.
std::set<std::string> ExportNames(HMODULE module) {
  const auto* base = reinterpret_cast<const std::uint8_t*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  std::set<std::string> found;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) found.insert(reinterpret_cast<const char*>(base + names[i]));
  return found;
}

TEST_F(DllHost, TheApiDllTakesWidePathsAndWritesTheExportsBytes) {
  const HMODULE api = LoadLibraryW(L"bmpresize.dll");
  ASSERT_NE(api, nullptr) << "LoadLibraryW failed: " << GetLastError();
  EXPECT_EQ(ExportNames(api),
            (std::set<std::string>{"bmpresize_callbacks", "bmpresize_compression_name", "bmpresize_describe",
                                   "bmpresize_descriptor_key", "bmpresize_file", "bmpresize_file_w",
                                   "bmpresize_inspect", "bmpresize_memory", "bmpresize_memory_size",
                                   "bmpresize_options_init", "bmpresize_parse_geometry", "bmpresize_place_key",
                                   "bmpresize_ppm_from_dpi", "bmpresize_remove_temporary_files", "bmpresize_resize"}));
  using FileW = bmpresize_code (*)(const wchar_t*, const wchar_t*, const bmpresize_options*, bmpresize_result*);
  const auto fileW = reinterpret_cast<FileW>(reinterpret_cast<void*>(GetProcAddress(api, "bmpresize_file_w")));
  ASSERT_NE(fileW, nullptr);

  TempDir dir;
  const std::string name = "pict\xC3\xA9-\xE7\x94\xBB-\xF0\x9F\x98\x80";
  WriteFileBytes(dir.File(name + ".bmp"), White2x2());
  const std::wstring source = Wide(dir.File(name + ".bmp"));
  ASSERT_EQ(resize_(source.c_str(), Wide(dir.File("export.bmp")).c_str(), 400), 999);
  bmpresize_options options{};
  options.percent = 400;
  bmpresize_result result{};
  ASSERT_EQ(fileW(source.c_str(), Wide(dir.File(name + "-api.bmp")).c_str(), &options, &result), BMPRESIZE_OK);
  EXPECT_EQ(ReadFileBytes(dir.File(name + "-api.bmp")), ReadFileBytes(dir.File("export.bmp")));

  EXPECT_EQ(fileW(Wide(dir.File("missing.bmp")).c_str(), Wide(dir.File("out.bmp")).c_str(), &options, &result),
            BMPRESIZE_SOURCE_NOT_BMP);
  EXPECT_EQ(result.cause, BMPRESIZE_CAUSE_OPEN_FAILED);
  FreeLibrary(api);
}

}  // namespace
