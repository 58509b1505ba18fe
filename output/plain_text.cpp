#include "output/plain_text.h"

#include <fstream>
#include <ostream>

#include "output/rtf_reader.h"
#include "platform/text_file.h"

namespace tallyfold {

namespace {

class PlainTextHandler : public RtfHandler {
 public:
  explicit PlainTextHandler(const TextOutput& out) : out_(out) {}
  void onText(std::string_view utf8, const RtfStyle&) override { out_(utf8); }
  void onParagraphEnd() override { out_("\n"); }

 private:
  TextOutput out_;
};

}  // namespace

void convertRtfToText(std::istream& rtf, const TextOutput& out) {
  PlainTextHandler handler(out);
  readRtf(rtf, handler);
}

void convertRtfToText(std::istream& rtf, AtomicFileWriter& out) {
  convertRtfToText(rtf, TextOutput([&out](std::string_view text) { out.write(text); }));
}

void convertRtfToText(std::istream& rtf, std::ostream& out) {
  convertRtfToText(rtf, TextOutput([&out](std::string_view text) {
                     out.write(text.data(), static_cast<std::streamsize>(text.size()));
                   }));
}

bool convertRtfFileToText(const std::string& rtfPath, AtomicFileWriter& out) {
  std::ifstream in(rtfPath, std::ios::binary);
  if (!in) return false;
  convertRtfToText(in, out);
  return !in.bad();
}

bool saveRtfFileAsText(const std::string& rtfPath, const std::string& textPath) {
  AtomicFileWriter out(textPath);
  if (!out.isOpen()) return false;
  if (!convertRtfFileToText(rtfPath, out)) return false;
  return out.commit();
}

std::string rtfToPlainText(std::string_view rtf) {
  std::string text;
  PlainTextHandler handler(TextOutput([&text](std::string_view piece) { text += piece; }));
  readRtf(rtf, handler);
  return text;
}

}  // namespace tallyfold
