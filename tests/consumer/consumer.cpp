// SPDX-License-Identifier: MIT
// Resizes argv[1] to 200 % into argv[2] from C++; exits 0 when that worked.
#include <bmpresizescale.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string s = argv[1], d = argv[2];
  const std::u16string source(s.begin(), s.end()), destination(d.begin(), d.end());
  const std::int32_t result = BMPResizeScale(source.c_str(), destination.c_str(), 200);
  std::printf("BMPResizeScale from C++: %d\n", static_cast<int>(result));
  // A file that is not there must not be reported as done.
  if (BMPResizeScale(u"no-such-file.bmp", destination.c_str(), 50) == BMPRESIZE_OK) return 1;
  return result == BMPRESIZE_OK ? 0 : 1;
}
