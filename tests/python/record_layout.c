/* SPDX-License-Identifier: MIT */
/* Every record and constant of bmpresize.h, as this compiler lays them out:
 * one line each, for python/tests/test_record_layout.py to compare with the
 * Python package's ctypes copies.
 *
 *   pointer SIZE
 *   record NAME SIZE
 *   field RECORD NAME OFFSET SIZE
 *   constant NAME VALUE
 *
 * A record, field or constant added to the header is added here too; the
 * test says when one is missing. */
#include <stddef.h>
#include <stdio.h>

#include "bmpresize.h"

/* long and unsigned long: every C runtime this builds with prints them. */
#define RECORD(type) printf("record " #type " %lu\n", (unsigned long)sizeof(type))
#define FIELD(type, name)                                                            \
  printf("field " #type " " #name " %lu %lu\n", (unsigned long)offsetof(type, name), \
         (unsigned long)sizeof(((type*)0)->name))
#define CONSTANT(name) printf("constant " #name " %ld\n", (long)(name))

static void Shortfall(void) {
  RECORD(bmpresize_shortfall);
  FIELD(bmpresize_shortfall, cut_short);
  FIELD(bmpresize_shortfall, top_down);
  FIELD(bmpresize_shortfall, repeats_last_pixel);
  FIELD(bmpresize_shortfall, rows_read);
  FIELD(bmpresize_shortfall, rows);
}

static void Result(void) {
  RECORD(bmpresize_result);
  FIELD(bmpresize_result, code);
  FIELD(bmpresize_result, cause);
  FIELD(bmpresize_result, value);
  FIELD(bmpresize_result, limit);
  FIELD(bmpresize_result, error);
  FIELD(bmpresize_result, partial_left);
  FIELD(bmpresize_result, width);
  FIELD(bmpresize_result, height);
  FIELD(bmpresize_result, size);
  FIELD(bmpresize_result, shortfall);
  FIELD(bmpresize_result, first_bytes);
  FIELD(bmpresize_result, first_byte_count);
  FIELD(bmpresize_result, notes);
  FIELD(bmpresize_result, reserved);
}

static void Options(void) {
  RECORD(bmpresize_options);
  FIELD(bmpresize_options, percent);
  FIELD(bmpresize_options, threads);
  FIELD(bmpresize_options, cancel);
  FIELD(bmpresize_options, sync);
  FIELD(bmpresize_options, strict);
  FIELD(bmpresize_options, memory_limit);
  FIELD(bmpresize_options, width);
  FIELD(bmpresize_options, height);
  FIELD(bmpresize_options, flags);
  FIELD(bmpresize_options, depth);
  FIELD(bmpresize_options, filter);
  FIELD(bmpresize_options, region_x);
  FIELD(bmpresize_options, region_y);
  FIELD(bmpresize_options, region_width);
  FIELD(bmpresize_options, region_height);
  FIELD(bmpresize_options, x_ppm);
  FIELD(bmpresize_options, y_ppm);
  FIELD(bmpresize_options, geometry);
  FIELD(bmpresize_options, geometry_width);
  FIELD(bmpresize_options, geometry_height);
  FIELD(bmpresize_options, geometry_area);
}

static void Source(void) {
  RECORD(bmpresize_source);
  FIELD(bmpresize_source, path);
  FIELD(bmpresize_source, read);
  FIELD(bmpresize_source, user);
  FIELD(bmpresize_source, data);
  FIELD(bmpresize_source, size);
}

static void Destination(void) {
  RECORD(bmpresize_destination);
  FIELD(bmpresize_destination, path);
  FIELD(bmpresize_destination, write);
  FIELD(bmpresize_destination, user);
  FIELD(bmpresize_destination, data);
  FIELD(bmpresize_destination, capacity);
}

static void Info(void) {
  RECORD(bmpresize_info);
  FIELD(bmpresize_info, width);
  FIELD(bmpresize_info, height);
  FIELD(bmpresize_info, depth);
  FIELD(bmpresize_info, compression);
  FIELD(bmpresize_info, header_size);
  FIELD(bmpresize_info, top_down);
  FIELD(bmpresize_info, colours);
  FIELD(bmpresize_info, x_ppm);
  FIELD(bmpresize_info, y_ppm);
  FIELD(bmpresize_info, masks);
  FIELD(bmpresize_info, data_offset);
  FIELD(bmpresize_info, file_size);
  FIELD(bmpresize_info, needed_size);
  FIELD(bmpresize_info, has_masks);
  FIELD(bmpresize_info, has_alpha);
  FIELD(bmpresize_info, reserved);
}

static void Codes(void) {
  CONSTANT(BMPRESIZE_OK);
  CONSTANT(BMPRESIZE_SOURCE_NOT_BMP);
  CONSTANT(BMPRESIZE_SOURCE_UNREADABLE);
  CONSTANT(BMPRESIZE_DESTINATION_FAILED);
  CONSTANT(BMPRESIZE_TOO_LARGE);
}

static void Causes(void) {
  CONSTANT(BMPRESIZE_CAUSE_NONE);
  CONSTANT(BMPRESIZE_CAUSE_OPEN_FAILED);
  CONSTANT(BMPRESIZE_CAUSE_NOT_BMP);
  CONSTANT(BMPRESIZE_CAUSE_EMPTY);
  CONSTANT(BMPRESIZE_CAUSE_SHORT_HEADER);
  CONSTANT(BMPRESIZE_CAUSE_COMPRESSION);
  CONSTANT(BMPRESIZE_CAUSE_DEPTH);
  CONSTANT(BMPRESIZE_CAUSE_WIDTH);
  CONSTANT(BMPRESIZE_CAUSE_HEIGHT);
  CONSTANT(BMPRESIZE_CAUSE_TOO_MANY_PIXELS);
  CONSTANT(BMPRESIZE_CAUSE_COMPRESSION_DEPTH);
  CONSTANT(BMPRESIZE_CAUSE_TOP_DOWN_COMPRESSED);
  CONSTANT(BMPRESIZE_CAUSE_COMPRESSION_FOR_HEADER);
  CONSTANT(BMPRESIZE_CAUSE_DEPTH_FOR_HEADER);
  CONSTANT(BMPRESIZE_CAUSE_READ_FAILED);
  CONSTANT(BMPRESIZE_CAUSE_CUT_SHORT);
  CONSTANT(BMPRESIZE_CAUSE_NO_MEMORY_TO_READ);
  CONSTANT(BMPRESIZE_CAUSE_SIDE_TOO_LARGE);
  CONSTANT(BMPRESIZE_CAUSE_FILE_TOO_LARGE);
  CONSTANT(BMPRESIZE_CAUSE_ROW_TOO_WIDE);
  CONSTANT(BMPRESIZE_CAUSE_NO_MEMORY);
  CONSTANT(BMPRESIZE_CAUSE_NO_DESTINATION);
  CONSTANT(BMPRESIZE_CAUSE_CREATE_FAILED);
  CONSTANT(BMPRESIZE_CAUSE_NOT_WRITABLE);
  CONSTANT(BMPRESIZE_CAUSE_SAME_AS_SOURCE);
  CONSTANT(BMPRESIZE_CAUSE_WRITE_FAILED);
  CONSTANT(BMPRESIZE_CAUSE_BUFFER_TOO_SMALL);
  CONSTANT(BMPRESIZE_CAUSE_CANCELLED);
  CONSTANT(BMPRESIZE_CAUSE_MEMORY_LIMIT);
  CONSTANT(BMPRESIZE_CAUSE_INTERNAL);
  CONSTANT(BMPRESIZE_CAUSE_REGION);
  CONSTANT(BMPRESIZE_CAUSE_OPTION);
}

static void Notes(void) {
  CONSTANT(BMPRESIZE_NOTE_NO_COLOUR_TABLE);
  CONSTANT(BMPRESIZE_NOTE_NEED_AT_LEAST);
}

static void Paths(void) {
  CONSTANT(BMPRESIZE_PATH_OTHER);
  CONSTANT(BMPRESIZE_PATH_DIRECTORY);
  CONSTANT(BMPRESIZE_PATH_FIFO);
  CONSTANT(BMPRESIZE_PATH_SOCKET);
  CONSTANT(BMPRESIZE_PATH_UNUSABLE_NAME);
}

static void Partials(void) {
  CONSTANT(BMPRESIZE_PARTIAL_NONE);
  CONSTANT(BMPRESIZE_PARTIAL_IN_PLACE);
  CONSTANT(BMPRESIZE_PARTIAL_DESCRIPTOR);
}

static void OptionValues(void) {
  CONSTANT(BMPRESIZE_DEFAULT_MEMORY_LIMIT);
  CONSTANT(BMPRESIZE_FIT);
  CONSTANT(BMPRESIZE_NO_ENLARGE);
  CONSTANT(BMPRESIZE_GREY);
  CONSTANT(BMPRESIZE_KEEP_RESOLUTION);
  CONSTANT(BMPRESIZE_COVER);
  CONSTANT(BMPRESIZE_LINEAR);
  CONSTANT(BMPRESIZE_GEOMETRY_WIDTH);
  CONSTANT(BMPRESIZE_GEOMETRY_HEIGHT);
  CONSTANT(BMPRESIZE_GEOMETRY_PERCENT);
  CONSTANT(BMPRESIZE_GEOMETRY_AREA);
  CONSTANT(BMPRESIZE_GEOMETRY_EXACT);
  CONSTANT(BMPRESIZE_GEOMETRY_ONLY_SHRINK);
  CONSTANT(BMPRESIZE_GEOMETRY_ONLY_ENLARGE);
  CONSTANT(BMPRESIZE_GEOMETRY_FILL);
  CONSTANT(BMPRESIZE_FILTER_POINT);
  CONSTANT(BMPRESIZE_FILTER_AREA);
  CONSTANT(BMPRESIZE_FILTER_LINEAR);
  CONSTANT(BMPRESIZE_FILTER_CUBIC);
  CONSTANT(BMPRESIZE_FILTER_MITCHELL);
  CONSTANT(BMPRESIZE_FILTER_LANCZOS2);
  CONSTANT(BMPRESIZE_FILTER_LANCZOS3);
}

int main(void) {
  printf("pointer %lu\n", (unsigned long)sizeof(void*));
  Shortfall();
  Result();
  Options();
  Source();
  Destination();
  Info();
  Codes();
  Causes();
  Notes();
  Paths();
  Partials();
  OptionValues();
  return 0;
}
