// SPDX-License-Identifier: MIT
#include "info_report.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "json_text.h"
#include "result_words.h"
#include "standard_streams.h"
#include "visible_text.h"

namespace {

// The sentence's text after the name it starts with: the library names the
// source "source" here, and the report names it once, itself.
std::string WithoutName(const std::string& sentence, const std::string& lead) {
  return sentence.compare(0, lead.size(), lead) == 0 ? sentence.substr(lead.size()) : sentence;
}

// "1 (RLE8)": the value and its name, as the library's sentences give them.
std::string CompressionText(const bmpresize_info& info) {
  return std::to_string(info.compression) + " (" + bmpresize_compression_name(info.compression, info.header_size) + ")";
}

std::string N(std::int64_t n) { return std::to_string(n); }

// "1 bit", "2 bits".
std::string Count(std::int64_t n, const char* thing) { return N(n) + " " + thing + (n == 1 ? "" : "s"); }

std::string Hex(std::uint32_t mask) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(mask));
  return text;
}

// Whether the headers were read whole: only then do their fields tell anything.
bool HeadersRead(const bmpresize_info& info) { return info.header_size != 0; }

std::string HeaderLines(const bmpresize_info& info) {
  std::string s = "  size          " + N(info.width) + " x " + N(info.height) + " pixels, " +
                  (info.top_down ? "top-down" : "bottom-up") + "\n";
  s += "  depth         " + Count(info.depth, "bit") + " per pixel";
  if (info.colours > 0) s += ", " + Count(info.colours, "colour") + " in its table";
  s += "\n  compression   " + CompressionText(info) + "\n";
  s += "  header        " + N(info.header_size) + " bytes\n";
  if (info.has_masks)
    s += "  masks         red " + Hex(info.masks[0]) + ", green " + Hex(info.masks[1]) + ", blue " +
         Hex(info.masks[2]) + ", alpha " + Hex(info.masks[3]) + "\n";
  if (info.has_alpha)
    s += "  alpha         declared: area and the convolution filters weight colour by it and keep it\n";
  s += "  pixel data    from byte " + N(info.data_offset);
  // Nothing is needed of a file refused: its size is then 0.
  if (info.needed_size > 0) s += ", " + N(info.needed_size) + " bytes";
  if (info.needed_size < 0) s += ", run-length encoded";
  s += "\n";
  s += "  resolution    " + N(info.x_ppm) + " x " + N(info.y_ppm) + " pixels per metre (" + N(DotsPerInch(info.x_ppm)) +
       " x " + N(DotsPerInch(info.y_ppm)) + " dpi)\n";
  return s;
}

std::string JsonMasks(const bmpresize_info& info) {
  if (!info.has_masks) return "null";
  return "[" + N(info.masks[0]) + "," + N(info.masks[1]) + "," + N(info.masks[2]) + "," + N(info.masks[3]) + "]";
}

}  // namespace

long long DotsPerInch(std::int32_t pixelsPerMetre) { return std::llround(pixelsPerMetre * 0.0254); }

InfoReport InspectSource(const std::string& name, const bmpresize_options& options) {
  InfoReport report;
  report.name = name;
  bmpresize_source source{};
  if (name == "-") {
    source.read = ReadStandardInput;
  } else {
    source.path = name.c_str();
  }
  (void)bmpresize_inspect(&source, &options, &report.info, &report.result);
  const std::string sentence = Words(report.result, "source", "source");
  if (report.result.code != BMPRESIZE_OK) {
    report.error = WithoutName(sentence, "source: ");
  } else if (!sentence.empty()) {
    report.warnings.push_back(WithoutName(sentence, "source: warning: "));
  }
  return report;
}

std::string InfoText(const InfoReport& report) {
  const bmpresize_info& info = report.info;
  std::string s = (report.name == "-" ? std::string("standard input") : VisibleText(report.name)) + ":\n";
  if (HeadersRead(info)) s += HeaderLines(info);
  if (info.file_size >= 0 && (HeadersRead(info) || info.file_size > 0))
    s += "  file size     " + N(info.file_size) + " bytes\n";
  for (const std::string& warning : report.warnings) s += "  warning: " + warning + "\n";
  if (!report.error.empty()) s += "  refused: " + report.error + "\n";
  return s + "\n";
}

std::string InfoJson(const InfoReport& report) {
  const bmpresize_info& i = report.info;
  std::string s = "{\"path\":" + JsonString(report.name);
  s += ",\"width\":" + N(i.width) + ",\"height\":" + N(i.height) + ",\"depth\":" + N(i.depth);
  s += ",\"compression\":" + N(i.compression) + ",\"header_size\":" + N(i.header_size);
  s += std::string(",\"top_down\":") + (i.top_down ? "true" : "false") + ",\"colours\":" + N(i.colours);
  s += ",\"masks\":" + JsonMasks(i) + ",\"has_alpha\":" + (i.has_alpha ? "true" : "false");
  s += ",\"data_offset\":" + N(i.data_offset) + ",\"file_size\":" + N(i.file_size);
  s += ",\"needed_size\":" + N(i.needed_size) + ",\"x_ppm\":" + N(i.x_ppm) + ",\"y_ppm\":" + N(i.y_ppm);
  s += ",\"warnings\":[";
  for (std::size_t w = 0; w < report.warnings.size(); ++w) s += (w > 0 ? "," : "") + JsonString(report.warnings[w]);
  s += "],\"error\":" + (report.error.empty() ? std::string("null") : JsonString(report.error));
  return s + "}\n";
}
