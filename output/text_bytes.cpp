#include "output/text_bytes.h"

#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

int sequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

bool Utf8Repair::continues(unsigned char byte) const {
  if (byte < 0x80 || byte > 0xBF) return false;
  if (pendingLength_ != 1) return true;
  // The second byte rules out overlong forms, surrogates and values past
  // U+10FFFF.
  switch (pending_[0]) {
    case 0xE0:
      return byte >= 0xA0;
    case 0xED:
      return byte <= 0x9F;
    case 0xF0:
      return byte >= 0x90;
    case 0xF4:
      return byte <= 0x8F;
    default:
      return true;
  }
}

void Utf8Repair::push(unsigned char byte, std::string& out) {
  if (pendingLength_ > 0) {
    if (continues(byte)) {
      pending_[pendingLength_++] = byte;
      if (pendingLength_ == expectedLength_) {
        out.append(reinterpret_cast<const char*>(pending_), pendingLength_);
        pendingLength_ = 0;
      }
      return;
    }
    finish(out);
  }
  if (byte < 0x80) {
    out += static_cast<char>(byte);
    return;
  }
  expectedLength_ = sequenceLength(byte);
  if (expectedLength_ == 0) {
    appendUtf8(out, windows1252ToUnicode(byte));
    return;
  }
  pending_[0] = byte;
  pendingLength_ = 1;
}

void Utf8Repair::finish(std::string& out) {
  for (int i = 0; i < pendingLength_; ++i) appendUtf8(out, windows1252ToUnicode(pending_[i]));
  pendingLength_ = 0;
}

std::string bytesAsUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  Utf8Repair repair;
  for (char c : bytes) repair.push(static_cast<unsigned char>(c), out);
  repair.finish(out);
  return out;
}

}  // namespace tallyfold
