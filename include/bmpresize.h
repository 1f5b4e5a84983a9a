/* SPDX-License-Identifier: MIT */
/*
 * bmpresize.h - resize BMP pictures by a percentage or to a size, from files,
 * from memory, or through read and write functions of your own.
 *
 * ABOUT
 *
 * Reads a BMP picture (1, 2, 4, 8, 16, 24 or 32 bits per pixel, uncompressed,
 * 16- or 32-bit bit fields, or 8- or 4-bit run-length encoded; rows bottom-up
 * or top-down; OS/2 1.x pictures, and OS/2 2.x ones with the 64-byte header,
 * too) and writes it resized as an uncompressed BMP. What is resized and
 * how (bmpresize_options):
 *
 *   size      percent of each side (percent x side / 100, the remainder
 *             dropped; 1 x 1 when either comes out below 1), or in its
 *             place a width, a height, an exact size or a box to fit in
 *             (width, height, BMPRESIZE_FIT), never enlarged with
 *             BMPRESIZE_NO_ENLARGE; an exact size filled and cropped at
 *             the centre (BMPRESIZE_COVER); or an ImageMagick geometry
 *             (bmpresize_parse_geometry)
 *   region    a rectangle of the source resized as if it were the whole
 *             picture, the size applying to it (region_x, region_y,
 *             region_width, region_height)
 *   filter    the bilinear point sampler (the default), the exact area
 *             average (BMPRESIZE_FILTER_AREA), or a convolution filter:
 *             linear, cubic, mitchell, lanczos2, lanczos3
 *             (BMPRESIZE_FILTER_LINEAR ... BMPRESIZE_FILTER_LANCZOS3)
 *   depth     24 bits, or 32 when the source has 32 (the default); or 1, 4,
 *             8 (the standard colour tables, or greys by luminance with
 *             BMPRESIZE_GREY), 16, 24 or 32
 *   resolution  3780 pixels per metre (96 dpi), x_ppm and y_ppm, or the
 *             source's (BMPRESIZE_KEEP_RESOLUTION)
 *
 * The bytes are the same on every platform and for every thread count, and
 * with the default options the same as BMPResizeScale (bmpresizescale.h)
 * writes, whichever way the picture comes in and goes out. Rows are read,
 * resized and written a few at a time: no call holds a whole picture (a
 * top-down run-length encoded one holds its encoded data, which tells its
 * bottom row only at its end). bmpresize_inspect tells what a source holds,
 * and the warning or refusal a resize would give, writing nothing.
 *
 * SYNOPSIS: memory to memory
 *
 *   bmpresize_options options;
 *   bmpresize_options_init(&options);
 *   options.percent = 50;
 *   bmpresize_result result;
 *   size_t size;
 *   if (bmpresize_memory_size(bmp, bmp_size, &options, &size, &result) == BMPRESIZE_OK) {
 *     void* out = malloc(size);
 *     bmpresize_memory(bmp, bmp_size, out, size, &options, &result);
 *   }
 *   if (result.code != BMPRESIZE_OK) {
 *     char why[512];
 *     bmpresize_describe(&result, "bmp", "out", why, sizeof why);
 *   }
 *
 * FUNCTIONS
 *
 *   bmpresize_options_init   the default options: 100 %, nothing else
 *   bmpresize_file           file to file, by UTF-8 paths
 *   bmpresize_file_w         file to file, by wide paths (Windows)
 *   bmpresize_memory_size    the bytes the resized picture of a source in memory needs
 *   bmpresize_memory         memory to memory, into the caller's buffer
 *   bmpresize_callbacks      read function to write function
 *   bmpresize_resize         any source (file, memory, read function) to any
 *                            destination (file, memory, write function)
 *   bmpresize_describe       the sentence that tells what became of a result
 *   bmpresize_remove_temporary_files
 *                            removes the new files of the resizes in flight, for a
 *                            signal handler about to end the process
 *   bmpresize_place_key      a key for where a write to a path lands: equal keys,
 *                            one file (under any name, or once made)
 *   bmpresize_descriptor_key the same for the file an open descriptor has
 *   bmpresize_inspect        what the reader finds in a source, writing nothing
 *   bmpresize_compression_name
 *                            the name of a compression value, as the sentences
 *                            and the tool's --info give it
 *   bmpresize_ppm_from_dpi   dots per inch as pixels per metre
 *   bmpresize_parse_geometry a size in ImageMagick's geometry terms ("800x600>")
 *
 * Every resize answers its result code and, when result is not null, fills
 * the result record with the code, the cause and the numbers behind it.
 *
 * MEMORY: the caller allocates, after asking for the size. A resized
 * picture's size follows from the source's headers and the options alone, so
 * bmpresize_memory_size tells it before any pixel is read. The caller then
 * allocates with its own allocator (no memory crosses from the library's
 * runtime into the caller's, which on Windows may be another), may reuse one
 * buffer for many pictures, and may refuse a size it will not hold before any
 * memory is committed, whatever a hostile header claims. A buffer too small
 * is refused before anything is written (BMPRESIZE_CAUSE_BUFFER_TOO_SMALL),
 * and so is one whose first result.size bytes share memory with the source's
 * (BMPRESIZE_CAUSE_SAME_AS_SOURCE: the picture would be written over the
 * bytes it is read from); on any other failure the buffer's bytes are not to
 * be used.
 *
 * READ AND WRITE FUNCTIONS (bmpresize_read_fn, bmpresize_write_fn) serve
 * sockets, pipes and archives. The source is read once, front to back, never
 * seeking: a top-down picture is then held in memory as far as its pixel data
 * goes. The write function hears the end of a complete picture (data null,
 * size 0) and nothing more on a failure, so a caller never mistakes half a
 * picture for a whole one.
 *
 * FILES are replaced whole or not at all: the picture is written to a new
 * file beside the destination, .NAME.XXXXXX.tmp, and renamed over it once
 * complete; on every result but BMPRESIZE_OK that file is gone and the
 * destination is as it was. Symbolic links are followed; other hard links
 * keep the old picture; the new file keeps the old one's permission bits. The
 * source may be the destination. A process killed mid-call can leave the .tmp
 * file; a signal handler that ends the process removes them first with
 * bmpresize_remove_temporary_files. Where the folder takes no new file (or
 * the rename is refused) but the destination may be written, it is rewritten
 * in place, and only then can a failure leave it partial
 * (result.partial_left); a source read from memory or a read function, which
 * could hold any file's bytes, never has its destination rewritten in place.
 * With options.sync the new file reaches stable storage before it replaces
 * the old one.
 *
 * A path that names a descriptor this process has open (/dev/stdin,
 * /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N, /proc/<pid>/fd/N; not
 * on Windows) is read or written through that descriptor, as a read or write
 * function would be: from where it stands and in its mode (an append stays
 * one), pipes and terminals too, never reopened, cut or replaced. A
 * descriptor that is not open fails to open (EBADF); one that writes the
 * source file is refused (BMPRESIZE_CAUSE_SAME_AS_SOURCE); a failure leaves
 * what it took of the picture there (BMPRESIZE_PARTIAL_DESCRIPTOR).
 *
 * RESULTS
 *
 *   BMPRESIZE_OK                   999  the destination was written completely
 *   BMPRESIZE_SOURCE_NOT_BMP         0  the source cannot be opened or does not start with "BM"
 *   BMPRESIZE_SOURCE_UNREADABLE     -1  the source starts with "BM" but cannot be read: empty,
 *                                       short headers, a compression or depth not taken, too
 *                                       large, a read failing with an error; and a source cut
 *                                       short when options.strict asks
 *   BMPRESIZE_DESTINATION_FAILED    -2  the destination could not be written (no destination,
 *                                       folder missing, disk full, buffer too small, cancelled)
 *   BMPRESIZE_TOO_LARGE             -3  the resized picture cannot be made: a side beyond 32
 *                                       bits, a file beyond 4 GiB, a row wider than 2^24
 *                                       pixels, more memory than options.memory_limit, or
 *                                       memory that cannot be had
 *
 * The checks come in that order: source, size, destination. result.cause says
 * exactly why (bmpresize_cause), result.value, result.limit and result.error
 * give the numbers. A source cut short gives BMPRESIZE_OK, its missing rows
 * white (16-bit sources repeat the last pixel read), and result.shortfall
 * says where its data ended; bmpresize_describe then writes a warning. It
 * writes one too when result.notes has a bit set: an indexed source without a
 * colour table, whose pixels are all white.
 *
 * THREADS AND SAFETY
 *
 * No call keeps state: calls may run on several threads at once for
 * different pictures, and one call may split its picture among threads of
 * its own (options.threads), which end before it returns. Nothing throws
 * across this interface; a failed allocation is a result like any other.
 * Nor does a resize raise SIGPIPE: it holds that signal back on the calling
 * thread while it runs (its write function's calls included), so a pipe or
 * socket whose reader has gone fails with EPIPE
 * (BMPRESIZE_CAUSE_WRITE_FAILED), and a SIGPIPE the resize raised is taken
 * back before it returns.
 *
 * Memory: a call stays within options.memory_limit (256 MiB by default),
 * summed over all its threads. With c = 3 or 4 bytes a destination pixel, it
 * takes, once, 24 + c bytes per destination column (the column taps and the
 * writer's row) and 64 KiB of small blocks; and for each band of rows, one a
 * thread, 3 x c per destination column (its rows), a buffer of one destination row or
 * 256 KiB, whichever is larger, and up to 8 bytes per source column (the
 * file's row and the decoded one; a top-down file's reader 64 KiB more).
 * Several bands read with one reader more. Where a picture's rows are copied
 * as they are (100 %, the same pixel array), there are no column taps and no
 * band rows, but a block of whole rows of about 1 MiB (one row at least)
 * instead. Rows 65,536 pixels wide at 100 %
 * take under 4 MiB on one thread; 256 MiB holds one band of rows about 5
 * million pixels wide. A call runs in fewer bands than options.threads
 * allows where more would not fit, and fails with
 * BMPRESIZE_CAUSE_MEMORY_LIMIT, before its destination is made, where one
 * band would not. Data held in memory counts too: the pixel data of a
 * top-down picture from a source that cannot seek (a pipe, a read function),
 * its rows times their stride, and the encoded data of a top-down run-length
 * picture with 16 bytes for every 64 rows it enters. Where the header or the
 * source's length tells how much that is (a run-length picture in a file or
 * in memory), it is had at once, and a resize it does not fit fails the same
 * way before any of it is read, value being then all the resize needs. A
 * run-length picture from a source of unknown length is held as it comes, up
 * to twice its data while its block grows; one that passes the limit tells
 * the least the resize needs (BMPRESIZE_NOTE_NEED_AT_LEAST). The caller's own
 * buffer (bmpresize_memory) does not count.
 */
#ifndef BMPRESIZE_H
#define BMPRESIZE_H

#include <signal.h>
#include <stddef.h>
#include <stdint.h>
#if defined(_WIN32)
#include <wchar.h>
#endif

/* The memory limit of a resize whose options give none: 256 MiB. */
#define BMPRESIZE_DEFAULT_MEMORY_LIMIT ((int64_t)256 * 1024 * 1024)

/* The result codes, shared with BMPResizeScale (bmpresizescale.h). */
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
typedef enum BmpResizeResult bmpresize_code;

/* Why a resize did not finish: one cause a result, with the numbers that
 * decided it in the result's value, limit and error. */
typedef enum bmpresize_cause {
  BMPRESIZE_CAUSE_NONE = 0,
  /* The source (BMPRESIZE_SOURCE_NOT_BMP, BMPRESIZE_SOURCE_UNREADABLE) */
  BMPRESIZE_CAUSE_OPEN_FAILED = 1,             /* value: what the path is (BMPRESIZE_PATH_...) */
  BMPRESIZE_CAUSE_NOT_BMP = 2,                 /* first_bytes: what the source starts with */
  BMPRESIZE_CAUSE_EMPTY = 3,                   /* no bytes at all */
  BMPRESIZE_CAUSE_SHORT_HEADER = 4,            /* value: where the source ended, -1 when it cannot tell */
  BMPRESIZE_CAUSE_COMPRESSION = 5,             /* value: biCompression, limit: the header's size */
  BMPRESIZE_CAUSE_DEPTH = 6,                   /* value: biBitCount */
  BMPRESIZE_CAUSE_WIDTH = 7,                   /* value: the width, limit: the widest taken */
  BMPRESIZE_CAUSE_HEIGHT = 8,                  /* value: biHeight */
  BMPRESIZE_CAUSE_TOO_MANY_PIXELS = 9,         /* value: width x height, limit: the most taken */
  BMPRESIZE_CAUSE_COMPRESSION_DEPTH = 10,      /* value: biCompression, limit: the depth it is taken at */
  BMPRESIZE_CAUSE_TOP_DOWN_COMPRESSED = 11,    /* no longer given: top-down run-length files are read */
  BMPRESIZE_CAUSE_COMPRESSION_FOR_HEADER = 12, /* value: biCompression, limit: the header's size */
  BMPRESIZE_CAUSE_DEPTH_FOR_HEADER = 13,       /* value: the depth, limit: the header's size */
  BMPRESIZE_CAUSE_READ_FAILED = 14,            /* a read failed with an error */
  BMPRESIZE_CAUSE_CUT_SHORT = 15,              /* strict, and the shortfall says where the data ended */
  BMPRESIZE_CAUSE_NO_MEMORY_TO_READ = 16,      /* (BMPRESIZE_TOO_LARGE) */
  /* The resized picture (BMPRESIZE_TOO_LARGE) */
  BMPRESIZE_CAUSE_SIDE_TOO_LARGE = 17, /* value: the percent */
  BMPRESIZE_CAUSE_FILE_TOO_LARGE = 18, /* value: the width, limit: the height */
  BMPRESIZE_CAUSE_ROW_TOO_WIDE = 19,   /* value: the width, limit: the widest row written */
  BMPRESIZE_CAUSE_NO_MEMORY = 20,      /* memory for the resize could not be had */
  /* The destination (BMPRESIZE_DESTINATION_FAILED) */
  /* No destination, or a path that cannot be used. With error ENAMETOOLONG
   * (checked before anything is written) a name no file can have: value the
   * length of the longest name in the path and limit the most a name may
   * have, 255 (bytes; UTF-16 units on Windows), or value the path's length
   * and limit 0 where the system refused the path, or the new file's beside
   * it, as too long. */
  BMPRESIZE_CAUSE_NO_DESTINATION = 21,
  BMPRESIZE_CAUSE_CREATE_FAILED = 22,    /* no file can be made there */
  BMPRESIZE_CAUSE_NOT_WRITABLE = 23,     /* it exists but may not be written */
  BMPRESIZE_CAUSE_SAME_AS_SOURCE = 24,   /* it is the source (or a buffer over it) and could only overwrite it */
  BMPRESIZE_CAUSE_WRITE_FAILED = 25,     /* a write, the final flush, close or rename failed */
  BMPRESIZE_CAUSE_BUFFER_TOO_SMALL = 26, /* value: the bytes needed, limit: the buffer's */
  BMPRESIZE_CAUSE_CANCELLED = 27,        /* the cancel flag stopped the resize */
  /* The resized picture (BMPRESIZE_TOO_LARGE), again */
  BMPRESIZE_CAUSE_MEMORY_LIMIT = 28, /* value: the bytes the resize needs, limit: options.memory_limit's */
  /* A fault inside the library (BMPRESIZE_DESTINATION_FAILED, nothing written):
   * first_bytes holds the start of what it said */
  BMPRESIZE_CAUSE_INTERNAL = 29,
  /* The options (BMPRESIZE_TOO_LARGE, nothing read past the headers) */
  BMPRESIZE_CAUSE_REGION = 30, /* the region is not inside the picture; value: the width, limit: the height */
  BMPRESIZE_CAUSE_OPTION = 31  /* an option out of its range (a depth, a filter, a negative size); value: it */
} bmpresize_cause;

/* What a source path that could not be opened turned out to be: the value of
 * BMPRESIZE_CAUSE_OPEN_FAILED. */
enum {
  BMPRESIZE_PATH_OTHER = 0,
  BMPRESIZE_PATH_DIRECTORY = 1,
  BMPRESIZE_PATH_FIFO = 2,
  BMPRESIZE_PATH_SOCKET = 3,
  BMPRESIZE_PATH_UNUSABLE_NAME = 4
};

/* The bits of bmpresize_result.notes: what a resize that succeeded warns of,
 * and what a failure's numbers mean besides their cause. */
enum {
  /* An indexed source (1 to 8 bits) whose pixel data starts where its colour
   * table would: the table has no entry, and every pixel is white. */
  BMPRESIZE_NOTE_NO_COLOUR_TABLE = 1,
  /* BMPRESIZE_CAUSE_MEMORY_LIMIT: value is the least the resize needs, not
   * all it needs. A top-down run-length picture from a source whose length
   * is not known (a pipe, a read function) is held as it comes, and passed
   * the limit before its end showed how much there is. */
  BMPRESIZE_NOTE_NEED_AT_LEAST = 2
};

/* What a failure left of the picture at the destination: the value of
 * result.partial_left. */
enum {
  BMPRESIZE_PARTIAL_NONE = 0,      /* the destination is as it was */
  BMPRESIZE_PARTIAL_IN_PLACE = 1,  /* a file rewritten in place is partly rewritten */
  BMPRESIZE_PARTIAL_DESCRIPTOR = 2 /* a descriptor path (/dev/stdout, /dev/fd/N) took part of the picture */
};

/* Where a source's pixel data ended before its picture did. The rows read
 * come from it; the others are white (in a 16-bit source they repeat the last
 * pixel read, or are white when none was). A bottom-up source gives the
 * picture's bottom rows, a top-down one its top rows. */
typedef struct bmpresize_shortfall {
  int cut_short;          /* nonzero when the data ended early */
  int top_down;           /* the rows read are the top ones */
  int repeats_last_pixel; /* a 16-bit source from which at least one pixel was read */
  int64_t rows_read;      /* whole rows that came from the source */
  int64_t rows;           /* the rows of the picture */
} bmpresize_shortfall;

/* The outcome of one call. */
typedef struct bmpresize_result {
  int32_t code;  /* a bmpresize_code */
  int32_t cause; /* a bmpresize_cause; a later version may add causes */
  int64_t value;
  int64_t limit;
  int error;        /* errno of the system call that failed, 0 when none did */
  int partial_left; /* what a failure left of the picture there: BMPRESIZE_PARTIAL_... */
  int32_t width;    /* the resized picture's width and height, once known */
  int32_t height;
  int64_t size; /* the destination's bytes, once known */
  bmpresize_shortfall shortfall;
  uint8_t first_bytes[16]; /* the source's first bytes (BMPRESIZE_CAUSE_NOT_BMP, SHORT_HEADER); text (INTERNAL) */
  int32_t first_byte_count;
  int64_t notes;       /* warnings about a picture that was written: BMPRESIZE_NOTE_... bits */
  int64_t reserved[3]; /* room for what results may tell later; 0 */
} bmpresize_result;

/* How a resize runs. Start from bmpresize_options_init, then change what you
 * need: every field's 0 keeps the behaviour of the versions before it. */
typedef struct bmpresize_options {
  int32_t percent; /* both sides scaled by this; 100 keeps the size (default); unused beside a size */
  /* The most threads one resize may use; 0 means one per core, 1 keeps it on
   * the calling thread. A picture is split into bands of rows, one a thread,
   * when its source is a file or memory with rows stored whole (not run-length
   * encoded, not 16 bits) and its destination a new file or memory; every
   * other resize runs on the calling thread. The bytes are the same for every
   * count. */
  int32_t threads;
  /* Polled between rows when not null: once it holds nonzero, the resize
   * stops and gives the destination up (BMPRESIZE_CAUSE_CANCELLED). The
   * library reads it with an atomic load, so a signal handler or another
   * thread sets it with an atomic store (sig_atomic_t is an int on every
   * target), with GCC or Clang in C or C++:
   *   static volatile sig_atomic_t stop;
   *   options.cancel = &stop;
   *   __atomic_store_n(&stop, 1, __ATOMIC_RELAXED);   (handler or thread)
   * or in C11, whose atomic_int has the size of an int and is lock-free on
   * every target:
   *   static atomic_int stop;
   *   options.cancel = (const volatile sig_atomic_t*)&stop;
   *   atomic_store_explicit(&stop, 1, memory_order_relaxed);
   * A plain store to the volatile flag is what C allows in a signal handler
   * and a single int store on every target, but a data race (one that
   * ThreadSanitizer reports) where another thread sets it. */
  const volatile sig_atomic_t* cancel;
  /* Nonzero: a file destination reaches stable storage before it replaces the
   * old one, and the folder's entry after the rename. */
  int sync;
  /* Nonzero: a source cut short fails (BMPRESIZE_CAUSE_CUT_SHORT) and nothing
   * is written (a descriptor path or a write function keeps what it took
   * before the end was met, as on any failure); otherwise its missing rows
   * are white and the result's shortfall says where its data ended. */
  int strict;
  /* The most bytes the resize may take, summed over its threads; 0 (or less)
   * means BMPRESIZE_DEFAULT_MEMORY_LIMIT. A picture is split into no more
   * bands than fit, and a resize that does not fit on one thread fails
   * (BMPRESIZE_CAUSE_MEMORY_LIMIT) before its destination is made. The
   * caller's own buffer (bmpresize_memory) does not count. */
  int64_t memory_limit;
  /* The result's size, in place of percent when width or height is above 0:
   * width alone keeps the source's aspect, and so does height alone; both give
   * the exact size; with BMPRESIZE_FIT in flags, the largest size of the
   * source's aspect that fits in width x height. A side that keeps the aspect
   * is rounded to nearest (halves up) in integers, never below 1: for width
   * W, the height is (2 x h x W + w) / (2 x w). The sampler is the one a
   * percent uses, so a size that a percent also gives yields the same bytes.
   * With BMPRESIZE_NO_ENLARGE a size (or a percent) larger than the source
   * (or its region) on either side keeps the source's size, and a box to fit
   * in is first cut down to the source's size. A negative side, or
   * BMPRESIZE_FIT without both sides above 0, fails (BMPRESIZE_CAUSE_OPTION);
   * a side kept to the aspect beyond 32 bits fails as a file beyond 4 GiB. */
  int32_t width;
  int32_t height;
  int32_t flags; /* BMPRESIZE_FIT, BMPRESIZE_NO_ENLARGE, BMPRESIZE_GREY, BMPRESIZE_KEEP_RESOLUTION, BMPRESIZE_COVER,
                    BMPRESIZE_LINEAR */
  /* Bits per pixel written: 1, 4 or 8 (the standard colour tables, each
   * pixel the nearest entry of the pixel the 24-bit result would hold; or
   * grey levels with BMPRESIZE_GREY, each pixel the grey nearest to that
   * pixel's luminance), 16 (5-6-5), 24 or 32 (alpha 255 from a source
   * without alpha); 0 writes 24, or 32 for a 32-bit source (8 with
   * BMPRESIZE_GREY). Another value, or BMPRESIZE_GREY with 16, 24 or 32,
   * fails with BMPRESIZE_CAUSE_OPTION before the source is read. */
  int16_t depth;
  /* BMPRESIZE_FILTER_POINT (0: the bilinear sampler), BMPRESIZE_FILTER_AREA,
   * or a convolution filter (BMPRESIZE_FILTER_LINEAR, _CUBIC, _MITCHELL,
   * _LANCZOS2, _LANCZOS3): each axis's kernel widened by the shrink factor,
   * across each row first, then down the columns, rounded between; the same
   * bytes on every platform. Another value fails with BMPRESIZE_CAUSE_OPTION.
   * A source whose header declares alpha (bmpresize_info.has_alpha) is
   * filtered by all but the point sampler with each colour weighted by its
   * pixel's alpha (a colour is the weighted sum over the alpha sum, 0 where
   * that is 0), so transparent pixels lend no colour, and is written at 32
   * bits with a 108-byte header whose masks give the fourth byte as alpha. */
  int16_t filter;
  /* A rectangle of the source, in pixels from its top-left corner, resized in
   * place of the whole picture and as if it were the whole picture (the
   * percent or size applies to it, and its edges are the sampler's); width
   * and height both 0 (the default) take the whole picture. Only its rows
   * and columns are resampled, and rows stored whole outside it are not
   * read. One not inside the picture fails (BMPRESIZE_CAUSE_REGION); a
   * negative value, or only one of width and height 0, fails
   * (BMPRESIZE_CAUSE_OPTION) before the source is read. A source cut short
   * reports the region's rows in the result's shortfall. */
  int32_t region_x;
  int32_t region_y;
  int32_t region_width;
  int32_t region_height;
  /* The resolution written, in pixels per metre; 0 writes 3780 (96 dots per
   * inch) and a negative one fails (BMPRESIZE_CAUSE_OPTION).
   * BMPRESIZE_KEEP_RESOLUTION in flags copies the source's in their place,
   * as its header holds it; a source without one (0, or an OS/2 1.x header)
   * gets 3780. bmpresize_ppm_from_dpi converts dots per inch. */
  int32_t x_ppm;
  int32_t y_ppm;
  /* A size in ImageMagick's geometry terms, in place of percent, width and
   * height when geometry is nonzero: BMPRESIZE_GEOMETRY_... bits, with
   * geometry_width and geometry_height (pixels; percents with
   * BMPRESIZE_GEOMETRY_PERCENT) or geometry_area (the most pixels, with
   * BMPRESIZE_GEOMETRY_AREA). bmpresize_parse_geometry fills them from text
   * such as "800x600>". The sizes are the ones ImageMagick 6.9 gives, its
   * rounding included: a side kept to the aspect is the scale (a double)
   * times the side, rounded to nearest, never below 1; a percent
   * round(percent x side / 100), never below 1; an area truncates both sides.
   * Bits that do not go together fail (BMPRESIZE_CAUSE_OPTION). */
  int32_t geometry;
  int32_t geometry_width;
  int32_t geometry_height;
  int64_t geometry_area;
} bmpresize_options;

/* The bits of bmpresize_options.flags. */
enum {
  BMPRESIZE_FIT = 1,             /* width x height is a box to fit in, keeping the aspect */
  BMPRESIZE_NO_ENLARGE = 2,      /* never larger than the source */
  BMPRESIZE_GREY = 4,            /* 1, 4 and 8 bits write 2, 16 or 256 greys, by luminance (ITU-R 601-2) */
  BMPRESIZE_KEEP_RESOLUTION = 8, /* the source's resolution, in place of x_ppm and y_ppm */
  /* Exactly width x height, filled: the largest centred rectangle of the
   * box's aspect within the source (or its region) is resized to it. For a
   * source sw x sh wider than the box (sw x height > sh x width) the
   * rectangle keeps the height sh and is (2 x sh x width + height) / (2 x
   * height) wide, else it keeps the width sw and is (2 x sw x height +
   * width) / (2 x width) high, never below 1; it lies half the rest in,
   * rounded down. Needs width and height, and neither BMPRESIZE_FIT nor a
   * geometry. */
  BMPRESIZE_COVER = 16,
  /* Blue, green and red averaged as light, not as their bytes: each byte v
   * as L(v) = round(65535 x f(v / 255)), f the sRGB curve (u / 12.92 up to
   * u = 0.04045, ((u + 0.055) / 1.055)^2.4 above), filtered at 16 bits, and
   * back as the byte whose L is nearest (ties to the smaller). Alpha is
   * filtered as it is. A black and white checkerboard halved is 187-188,
   * not 128. Only with BMPRESIZE_FILTER_AREA and the convolution filters:
   * with BMPRESIZE_FILTER_POINT it fails (BMPRESIZE_CAUSE_OPTION). */
  BMPRESIZE_LINEAR = 32
};

/* The bits of bmpresize_options.geometry: what the text "WxH" followed by
 * %, @, !, >, < or ^ says. */
enum {
  BMPRESIZE_GEOMETRY_WIDTH = 1,         /* geometry_width is given */
  BMPRESIZE_GEOMETRY_HEIGHT = 2,        /* geometry_height is given */
  BMPRESIZE_GEOMETRY_PERCENT = 4,       /* "50%", "50x25%": percents of each side */
  BMPRESIZE_GEOMETRY_AREA = 8,          /* "250000@": at most geometry_area pixels, aspect kept */
  BMPRESIZE_GEOMETRY_EXACT = 16,        /* "!": the size as given, a side not given kept */
  BMPRESIZE_GEOMETRY_ONLY_SHRINK = 32,  /* ">": no side larger than the source's */
  BMPRESIZE_GEOMETRY_ONLY_ENLARGE = 64, /* "<": no side smaller than the source's (after @: nothing) */
  BMPRESIZE_GEOMETRY_FILL = 128         /* "^": the smallest size of the aspect covering the box */
};

/* The values of bmpresize_options.filter. */
enum {
  BMPRESIZE_FILTER_POINT = 0,    /* bilinear: two rows and two columns around each point */
  BMPRESIZE_FILTER_AREA = 1,     /* each pixel the average of the source area it covers */
  BMPRESIZE_FILTER_LINEAR = 2,   /* the convolution filters: triangle, radius 1 */
  BMPRESIZE_FILTER_CUBIC = 3,    /* Catmull-Rom (Keys, a = -0.5), radius 2 */
  BMPRESIZE_FILTER_MITCHELL = 4, /* Mitchell-Netravali, B = C = 1/3, radius 2 */
  BMPRESIZE_FILTER_LANCZOS2 = 5, /* windowed sinc, radius 2 */
  BMPRESIZE_FILTER_LANCZOS3 = 6  /* windowed sinc, radius 3 */
};

/* Reads up to size bytes into buffer and sets *got to how many it read, 0
 * only at the end of the data. Answers 0, or an error number (an errno value
 * such as EIO, which the result then carries) when reading failed. */
typedef int (*bmpresize_read_fn)(void* user, void* buffer, size_t size, size_t* got);

/* Takes all size bytes of data. Called once more with data null and size 0
 * when the picture is complete: the moment to flush (and to sync, where the
 * caller wants that). Answers 0, or an error number when it could not. */
typedef int (*bmpresize_write_fn)(void* user, const void* data, size_t size);

/* Where a picture comes from: a file by its UTF-8 path, size bytes at data,
 * or a read function. The first one set is taken: path, then read, then data
 * (a null data with size 0 is an empty source). */
typedef struct bmpresize_source {
  const char* path;
  bmpresize_read_fn read;
  void* user; /* handed to read */
  const void* data;
  size_t size;
} bmpresize_source;

/* Where the resized picture goes: a file by its UTF-8 path (replaced whole or
 * not at all), a write function, or capacity bytes at data. The first one set
 * is taken: path, then write, then data. */
typedef struct bmpresize_destination {
  const char* path;
  bmpresize_write_fn write;
  void* user; /* handed to write */
  void* data;
  size_t capacity;
} bmpresize_destination;

#if defined(_WIN32)
#define BMPRESIZE_EXPORT
#else
#define BMPRESIZE_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Sets every option to its default: percent 100, threads 0, no cancel flag,
 * no sync, not strict, memory_limit 0 (the default limit), and every later
 * field 0: the size from the percent, the depth of the source, the point
 * filter, the whole picture, 3780 pixels per metre. */
BMPRESIZE_EXPORT void bmpresize_options_init(bmpresize_options* options);

/* Resizes the picture at source into destination. A null source is a source
 * that cannot be opened (BMPRESIZE_CAUSE_OPEN_FAILED), a null destination no
 * destination (BMPRESIZE_CAUSE_NO_DESTINATION); null options are the
 * defaults (100 %); result may be null. Answers the result code. */
BMPRESIZE_EXPORT bmpresize_code bmpresize_resize(const bmpresize_source* source,
                                                 const bmpresize_destination* destination,
                                                 const bmpresize_options* options, bmpresize_result* result);

/* Resizes the file at the UTF-8 path source into the file at destination.
 * A null path is one that cannot be opened. */
BMPRESIZE_EXPORT bmpresize_code bmpresize_file(const char* source, const char* destination,
                                               const bmpresize_options* options, bmpresize_result* result);

#if defined(_WIN32)
/* The same by wide paths, which go to the system's file functions as they
 * are. */
BMPRESIZE_EXPORT bmpresize_code bmpresize_file_w(const wchar_t* source, const wchar_t* destination,
                                                 const bmpresize_options* options, bmpresize_result* result);
#endif

/* Reads the headers of the source_size bytes at source and sets
 * *destination_size to the bytes its resized picture needs. Answers what the
 * resize would answer as far as the headers tell: BMPRESIZE_OK, or the
 * source's or the size's failure. Then bmpresize_memory resizes the source
 * into destination_capacity bytes at destination, a buffer of the caller's
 * that is at least that large; result->size tells the bytes written. */
BMPRESIZE_EXPORT bmpresize_code bmpresize_memory_size(const void* source, size_t source_size,
                                                      const bmpresize_options* options, size_t* destination_size,
                                                      bmpresize_result* result);
BMPRESIZE_EXPORT bmpresize_code bmpresize_memory(const void* source, size_t source_size, void* destination,
                                                 size_t destination_capacity, const bmpresize_options* options,
                                                 bmpresize_result* result);

/* Resizes what read (called with read_user) delivers into write (called with
 * write_user). A null read function is a source that cannot be opened, a
 * null write function no destination. */
BMPRESIZE_EXPORT bmpresize_code bmpresize_callbacks(bmpresize_read_fn read, void* read_user, bmpresize_write_fn write,
                                                    void* write_user, const bmpresize_options* options,
                                                    bmpresize_result* result);

/* Writes the sentence that tells what became of the result into text, the
 * one the bmpresize tool prints (without the hints the tool adds about its
 * own options): "NAME: reason" for a failure, naming the source (source_name,
 * "source" when null, "(an empty path)" when "") or the destination
 * (destination_name, likewise) that the cause lies with;
 * "SOURCE: warning: cut short: ..." for a success with a source cut short;
 * nothing for any other success. Writes at most capacity bytes, always
 * NUL-terminated when capacity is not 0, and answers the sentence's whole
 * length (as snprintf does), so a first call with capacity 0 tells the size.
 * The names go in as given, control characters included: a caller that shows
 * the sentence on a terminal makes them visible first, as the tool does. */
BMPRESIZE_EXPORT size_t bmpresize_describe(const bmpresize_result* result, const char* source_name,
                                           const char* destination_name, char* text, size_t capacity);

/* What the reader found in a source, as bmpresize_inspect tells it. Where
 * the reader did not get that far (the source cannot be opened, is no BMP
 * file, or its headers are cut short) every field is 0 but file_size; a
 * file refused after its headers (a depth or compression not taken, a size
 * out of range) has the header's fields (width, height, depth, compression,
 * header_size, top_down, resolution, data_offset as bfOffBits says), and
 * colours, masks, has_masks and needed_size 0. The file's unsigned 32-bit
 * fields (compression, bfOffBits) are told as the unsigned numbers they are. */
typedef struct bmpresize_info {
  int32_t width;        /* pixels */
  int32_t height;       /* pixels, positive whichever way the rows go */
  int32_t depth;        /* bits per pixel */
  uint32_t compression; /* 0 none, 1 8-bit run-length, 2 4-bit run-length, 3 bit fields, 6 bit fields with alpha */
  int32_t header_size;  /* 12 (OS/2 1.x), 40, 52, 56, 64, 108 or 124; a header of another size is read as 40 */
  int32_t top_down;     /* nonzero when the first row stored is the top one */
  int32_t colours;      /* colour table entries, as bfOffBits counts them (indexed sources; 0: none, all white) */
  int32_t x_ppm;        /* the resolution, pixels per metre */
  int32_t y_ppm;
  /* The red, green, blue and alpha masks the pixels are read with: a 16- or
   * 32-bit file's bit fields as the file holds them, zeros included (at 16
   * bits the low halves, alpha 0), else 0x7C00, 0x03E0, 0x001F, 0 at 16 bits
   * and 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000 at 32 bits; all 0 at
   * other depths. has_masks tells which. */
  uint32_t masks[4];
  int64_t data_offset; /* where the reader takes the pixel data from: bfOffBits, or the end of a short colour table */
  int64_t file_size;   /* the source's bytes; -1 where its length cannot be told (a read function, a pipe) */
  int64_t needed_size; /* the bytes the pixel data needs, rows x stride; -1 for run-length data */
  int32_t has_masks;   /* nonzero when the pixels are read with masks (16 and 32 bits), even all-zero ones */
  /* nonzero when the header declares alpha: 32-bit bit fields (a 56, 108 or
   * 124-byte header, or compression 6) with an alpha mask that is not 0 */
  int32_t has_alpha;
  int64_t reserved[3]; /* 0 */
} bmpresize_info;

/* Reads the source as a resize at 100 % would, to the end of its pixel data,
 * writing nothing, and fills info (when not null) with what its headers hold.
 * Answers what such a resize would answer of its source: a failure with its
 * cause in result (the source's refusals, a read that fails, a source cut
 * short with options.strict, the memory limit, the cancel flag), or
 * BMPRESIZE_OK with the warnings a resize would have in result's shortfall
 * and notes, which bmpresize_describe turns into the sentence a resize would
 * give. The limits of a resized picture play no part: the source alone is
 * judged. It takes the reader's row buffers and one row of 4 bytes a pixel
 * (what a top-down run-length source holds in memory besides), within
 * options.memory_limit. options may be null; its memory_limit, cancel and
 * strict are heeded, the others ignored. */
BMPRESIZE_EXPORT bmpresize_code bmpresize_inspect(const bmpresize_source* source, const bmpresize_options* options,
                                                  bmpresize_info* info, bmpresize_result* result);

/* The name of a biCompression value in an info header of header_size bytes,
 * as bmpresize_describe's sentences and the tool's --info give it:
 * "uncompressed" (0), "RLE8", "RLE4", "BITFIELDS", "JPEG", "PNG",
 * "ALPHABITFIELDS" (6), "CMYK" (11), "CMYKRLE8", "CMYKRLE4" (13); in the
 * 64-byte OS/2 2.x header 3 is "Huffman" and 4 "RLE24"; "unknown" for any
 * other value. The text is static and never null. */
BMPRESIZE_EXPORT const char* bmpresize_compression_name(uint32_t compression, int32_t header_size);

/* Dots per inch as pixels per metre, dpi / 0.0254 rounded to nearest, halves
 * up: 96 gives 3780, 300 gives 11811. Answers 0 for a dpi of 0 or less, or one
 * whose pixels per metre exceed INT32_MAX. */
BMPRESIZE_EXPORT int32_t bmpresize_ppm_from_dpi(int32_t dpi);

/* Reads an ImageMagick geometry from text into options' geometry fields,
 * leaving the others as they are: WxH (the largest size of the source's
 * aspect within W x H), Wx or xH (one side, the other kept to the aspect),
 * then at most one of ! (exactly), ^ (the smallest size of the aspect that
 * covers the box) and at most one of > (only shrink) and < (only enlarge);
 * P% or PxQ% (percents of each side, rounded to nearest); N@ (at most N
 * pixels), with > or < allowed. Numbers are whole, from 1 (pixels, percents
 * up to 2147483647, N up to 2^63 - 1). Answers 0 when text is a geometry;
 * otherwise answers nonzero, leaves options as they were and writes why into
 * problem (at most capacity bytes, NUL-terminated when capacity is not 0),
 * such as for a bare number: "give 800x for a width or 800% for a
 * percent". */
BMPRESIZE_EXPORT int bmpresize_parse_geometry(const char* text, bmpresize_options* options, char* problem,
                                              size_t capacity);

/* Removes the new files (.NAME.XXXXXX.tmp) of every resize in flight in this
 * process, and lets no resize make one after it, for the rest of the
 * process: a file destination that needs a new file then fails with
 * BMPRESIZE_CAUSE_CREATE_FAILED and error EINTR. It only unlinks the files
 * and sets that mark, without allocating or locking, so a signal handler may
 * call it. It is for a handler that is about to end the process (_exit): the
 * resizes themselves go on writing to files that are gone, and their results
 * are not to be trusted. A resize
 * that rewrites its destination in place (result.partial_left) has no new
 * file, and stays partial. Up to 64 resizes at once are covered, with paths
 * of up to 4095 bytes. On Windows the files are removed with DeleteFileW,
 * which leaves a file that is still open: there a handler stops the resizes
 * with the cancel flag instead. */
BMPRESIZE_EXPORT void bmpresize_remove_temporary_files(void);

/* Writes into key a text that stands for where a write to the UTF-8 path
 * lands, as bmpresize_file writes it; two paths have one key exactly when
 * writes to them land in one file, so that a caller can tell, before anything
 * is written, that two destinations, or a destination and a source, are one
 * file. A regular file that exists has the key of the file, whatever it is
 * called (the same path spelt otherwise, a hard link, a symbolic link); a
 * file yet to be made has the key of the folder it would be made in and its
 * name there (on Windows without regard to case), symbolic links followed as
 * bmpresize_file follows them, so two dangling links to one name share it. A
 * path that names an open descriptor (/dev/stdout, /dev/fd/N, ...) has the
 * key of the file the descriptor has open. Compare keys as strings (strcmp);
 * what they hold may change between versions, and a key holds while the file
 * system does not change under it.
 *
 * Answers the key's whole length (as snprintf does: at most capacity bytes
 * are written, always NUL-terminated when capacity is not 0), or 0 when there
 * is no key, with the reason in *error (an errno value; 0 with a key) when
 * error is not null: ENOENT (no folder to make the file in, an empty path),
 * ENOTDIR, EISDIR (a folder, or a path ending in a separator), ESPIPE (a pipe,
 * socket, terminal or device: written where it stands, it replaces no file,
 * and one socket may be read and written at once), EBADF (a descriptor that
 * is not open), ELOOP, EACCES, EINVAL (a null path, or on Windows one that
 * is not UTF-8), ENOMEM. */
BMPRESIZE_EXPORT size_t bmpresize_place_key(const char* path, char* key, size_t capacity, int* error);

/* The key of the regular file that the open descriptor fd has (on Windows a
 * descriptor of the C runtime the library uses; 0, 1 and 2 are the standard
 * streams everywhere), comparable with bmpresize_place_key's: whether
 * standard output is the source file, say. Answers as bmpresize_place_key. */
BMPRESIZE_EXPORT size_t bmpresize_descriptor_key(int fd, char* key, size_t capacity, int* error);

#ifdef __cplusplus
}
#endif

#endif /* BMPRESIZE_H */
