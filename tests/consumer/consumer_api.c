/* SPDX-License-Identifier: MIT */
/* Resizes argv[1] to 50 % into argv[2] through bmpresize.h, memory to memory,
 * from C; exits 0 when that worked and a missing file is told as such. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <bmpresize.h>

static unsigned char* Load(const char* path, size_t* size) {
  FILE* f = fopen(path, "rb");
  unsigned char* data = NULL;
  long n = -1;
  if (f != NULL && fseek(f, 0, SEEK_END) == 0 && (n = ftell(f)) >= 0 && fseek(f, 0, SEEK_SET) == 0) {
    data = malloc(n > 0 ? (size_t)n : 1);
    if (data != NULL && fread(data, 1, (size_t)n, f) != (size_t)n) {
      free(data);
      data = NULL;
    }
  }
  if (f != NULL) fclose(f);
  *size = n > 0 ? (size_t)n : 0;
  return data;
}

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  size_t size = 0;
  unsigned char* source = Load(argv[1], &size);
  if (source == NULL) return 2;

  bmpresize_options options;
  bmpresize_options_init(&options);
  options.percent = 50;
  bmpresize_result result;
  size_t needed = 0;
  unsigned char* picture = NULL;
  if (bmpresize_memory_size(source, size, &options, &needed, &result) == BMPRESIZE_OK &&
      (picture = malloc(needed)) != NULL) {
    (void)bmpresize_memory(source, size, picture, needed, &options, &result);
  }
  int status = 1;
  FILE* out = result.code == BMPRESIZE_OK ? fopen(argv[2], "wb") : NULL;
  if (out != NULL) {
    status = fwrite(picture, 1, needed, out) == needed ? 0 : 1;
    status |= fclose(out) != 0;
  }
  printf("bmpresize_memory from C: %d, %lu bytes\n", (int)result.code, (unsigned long)needed);
  free(picture);
  free(source);

  char words[256];
  if (bmpresize_file("no-such-file.bmp", argv[2], &options, &result) == BMPRESIZE_OK) return 1;
  bmpresize_describe(&result, "no-such-file.bmp", argv[2], words, sizeof words);
  printf("%s\n", words);
  return status == 0 && strstr(words, "no-such-file.bmp: cannot be opened") == words ? 0 : 1;
}
