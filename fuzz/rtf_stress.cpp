// Runs one large document through the rich-text reader or the HTML export, for
// bench/rtf-stress.sh, which times growing inputs to see that both stay linear.
//
//   tallyfold-rtf-stress rtf FILE    read FILE as a stream, count runs and ends
//   tallyfold-rtf-stress text FILE   convert FILE to plain text, count bytes
//   tallyfold-rtf-stress html FILE   export FILE as an HTML page, written to
//                                    $TMPDIR (or /tmp) and removed again

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "output/html_export.h"
#include "output/plain_text.h"
#include "output/rtf_reader.h"

namespace {

class CountingHandler : public tallyfold::RtfHandler {
 public:
  void onText(std::string_view utf8, const tallyfold::RtfStyle&) override {
    ++runs;
    bytes += utf8.size();
  }
  void onParagraphEnd() override { ++paragraphs; }
  uint64_t runs = 0;
  uint64_t bytes = 0;
  uint64_t paragraphs = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s rtf|text|html FILE\n", argv[0]);
    return 2;
  }
  const std::string mode = argv[1];
  const std::string path = argv[2];
  if (mode == "rtf") {
    CountingHandler counts;
    if (!tallyfold::readRtfFile(path, counts)) return 1;
    std::printf("runs %llu, text bytes %llu, paragraph ends %llu\n",
                static_cast<unsigned long long>(counts.runs),
                static_cast<unsigned long long>(counts.bytes),
                static_cast<unsigned long long>(counts.paragraphs));
    return 0;
  }
  if (mode == "text") {
    std::ifstream in(path, std::ios::binary);
    if (!in) return 1;
    uint64_t bytes = 0;
    tallyfold::convertRtfToText(
        in, tallyfold::TextOutput([&bytes](std::string_view piece) { bytes += piece.size(); }));
    std::printf("text bytes %llu\n", static_cast<unsigned long long>(bytes));
    return 0;
  }
  if (mode == "html") {
    const char* tmp = std::getenv("TMPDIR");
    const std::string page = std::string(tmp != nullptr ? tmp : "/tmp") + "/rtf-stress-page.htm";
    const bool done = tallyfold::exportHtml(path, page, "courier new", "10");
    std::remove(page.c_str());
    return done ? 0 : 1;
  }
  std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
  return 2;
}
