// SPDX-License-Identifier: MIT
// A scratch folder for one test, removed with everything in it at the end.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
bool FileExists(const std::string& path);
// The names in a folder (a file left behind shows here).
std::set<std::string> ListFolder(const std::string& path);
