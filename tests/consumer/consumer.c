/* SPDX-License-Identifier: MIT */
/* Resizes argv[1] to 50 % into argv[2] from C; exits 0 when that worked. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <bmpresizescale.h>

/* The paths are ASCII here, so widening byte by byte is enough. */
static BmpResizeChar16* Widen(const char* s) {
  size_t n = strlen(s);
  BmpResizeChar16* w = malloc((n + 1) * sizeof *w);
  for (size_t i = 0; w && i <= n; ++i) w[i] = (BmpResizeChar16)(unsigned char)s[i];
  return w;
}

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  BmpResizeChar16* source = Widen(argv[1]);
  BmpResizeChar16* destination = Widen(argv[2]);
  int32_t result = BMPResizeScale(source, destination, 50);
  free(source);
  free(destination);
  printf("BMPResizeScale from C: %d\n", (int)result);
  return result == BMPRESIZE_OK ? 0 : 1;
}
