/* SPDX-License-Identifier: MIT */
/*
 * bmpresizescale.h - resize a BMP file by a percentage.
 *
 *   int32_t BMPResizeScale(source, destination, percent);
 *
 * Reads the BMP file at source (1, 2, 4, 8, 16, 24 or 32 bits per pixel,
 * uncompressed, 16- or 32-bit bit fields, or 8- or 4-bit run-length encoded;
 * rows bottom-up or top-down, run-length encoded ones too; OS/2 1.x files
 * and OS/2 2.x ones with the 64-byte header too), scales its width and
 * height by percent (100 keeps the size; each side is percent x side / 100
 * with the remainder dropped, and when either side is below 1 the picture is
 * 1 x 1) with bilinear
 * interpolation, and writes the result to destination as an uncompressed BMP
 * of 24 bits per pixel, or 32 when the source has 32. Results are
 * bit-identical on every platform.
 *
 * Both paths are NUL-terminated UTF-16 strings. The call keeps no state, is
 * safe to make from several threads on different files, and never throws.
 *
 * Results:
 *   BMPRESIZE_OK                   999  the destination was written completely
 *   BMPRESIZE_SOURCE_NOT_BMP         0  the source path is null, cannot be
 *                                       opened, or does not start with "BM"
 *   BMPRESIZE_SOURCE_UNREADABLE     -1  the source starts with "BM" but cannot be
 *                                       read: empty, short headers, a compression
 *                                       or depth it does not take (JPEG or PNG
 *                                       inside, RLE24, Huffman, CMYK, any
 *                                       compression at 2 bits, ...), too large,
 *                                       or a read failing with an error
 *   BMPRESIZE_DESTINATION_FAILED    -2  the destination could not be written (null
 *                                       path, folder missing, disk full, ...)
 *   BMPRESIZE_TOO_LARGE             -3  the resized picture cannot be made: a size
 *                                       beyond 32 bits, a row wider than 2^24
 *                                       pixels, a file beyond 4 GiB, more memory
 *                                       than the limit below, or memory that
 *                                       cannot be had
 * A source cut short gives 999, its missing rows white.
 *
 * The destination is replaced whole or not at all: the picture is written to
 * a new file beside it, .NAME.XXXXXX.tmp, renamed over it once complete; on
 * every result but 999 that file is gone and the destination is as it was.
 * Symbolic links are followed; other hard links keep the old picture; the new
 * file keeps the old one's permission bits. The source may be the destination.
 * A process killed mid-call can leave the .tmp file. Where the folder takes no
 * new file (or the rename is refused) but the destination may be written, it is
 * rewritten in place, and only then can a failure leave it partial.
 *
 * Memory: 24 + 5 x c bytes per destination column (c = 3 or 4 bytes a pixel)
 * and up to 8 per source column, besides at most 384 KiB, within a limit of
 * 256 MiB: a call that would need more (a small file claiming rows millions
 * of pixels wide) gives BMPRESIZE_TOO_LARGE before its destination is made.
 */
#ifndef BMPRESIZESCALE_H
#define BMPRESIZESCALE_H

#include <stdint.h>

#if defined(_WIN32)
typedef wchar_t BmpResizeChar16;
#define BMPRESIZE_API
#else
#if defined(__cplusplus)
typedef char16_t BmpResizeChar16;
#else
typedef uint16_t BmpResizeChar16; /* the same 16-bit unit as C++'s char16_t */
#endif
#define BMPRESIZE_API __attribute__((visibility("default")))
#endif

/* The same codes as bmpresize.h gives its functions; whichever header comes
 * first defines them. */
#ifndef BMPRESIZE_RESULT_CODES
#define BMPRESIZE_RESULT_CODES
enum BmpResizeResult {
  BMPRESIZE_OK = 999,
  BMPRESIZE_SOURCE_NOT_BMP = 0,
  BMPRESIZE_SOURCE_UNREADABLE = -1,
  BMPRESIZE_DESTINATION_FAILED = -2,
  BMPRESIZE_TOO_LARGE = -3
};
#endif

#ifdef __cplusplus
extern "C" {
#endif

BMPRESIZE_API int32_t BMPResizeScale(const BmpResizeChar16* source, const BmpResizeChar16* destination,
                                     int32_t percent);

#ifdef __cplusplus
}
#endif

#endif /* BMPRESIZESCALE_H */
