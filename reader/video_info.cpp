#include "reader/video_info.h"

#include <MediaInfo/MediaInfo.h>

#include <array>
#include <cmath>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "platform/budgeted_file.h"
#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

using MediaInfoLib::MediaInfo;

constexpr size_t kPieceBytes = 64 * 1024;
// The headers of a video and the index MediaInfoLib seeks to (an MP4 with
// its index at the end) fit well inside this; a file that keeps asking for
// more is not read further.
constexpr uint64_t kVideoReadBudgetBytes = 8ULL << 20;
constexpr int kMostPieces = 1024;
constexpr uint64_t kNoSeek = ~0ULL;
constexpr size_t kFinished = 1u << 3;

std::string utf8Of(const std::wstring& wide) {
  std::string out;
  out.reserve(wide.size());
  for (wchar_t c : wide) {
    const auto code = static_cast<char32_t>(c);
    appendUtf8(out, code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ? U'\uFFFD' : code);
  }
  return out;
}

std::string field(MediaInfo& info, MediaInfoLib::stream_t kind, const wchar_t* name) {
  return utf8Of(info.Get(kind, 0, name));
}

// A whole number from a field such as "186144" or "2000.000"; 0 for none.
uint32_t numberOf(const std::string& text, double scale = 1) {
  if (text.empty()) return 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || !std::isfinite(value) || value <= 0) return 0;
  const double scaled = std::round(value / scale);
  return scaled >= 4294967295.0 ? 4294967295U : static_cast<uint32_t>(scaled);
}

bool isDigitsAt(const std::string& text, size_t at, size_t count) {
  if (at + count > text.size()) return false;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

// "2024-03-05 14:07:09 UTC" (or "UTC 2024-03-05 14:07:09") as ISO 8601; a
// container's zero time (1904 or 1970 at its epoch) is no time.
std::string isoCreated(const std::string& text) {
  for (size_t at = 0; at + 19 <= text.size(); ++at) {
    if (!isDigitsAt(text, at, 4) || text[at + 4] != '-' || !isDigitsAt(text, at + 5, 2) ||
        text[at + 7] != '-' || !isDigitsAt(text, at + 8, 2) ||
        (text[at + 10] != ' ' && text[at + 10] != 'T') || !isDigitsAt(text, at + 11, 2) ||
        text[at + 13] != ':' || !isDigitsAt(text, at + 14, 2) || text[at + 16] != ':' ||
        !isDigitsAt(text, at + 17, 2)) {
      continue;
    }
    std::string iso = text.substr(at, 19);
    if (iso.compare(0, 4, "1904") == 0 || iso.compare(0, 10, "1970-01-01") == 0) return {};
    iso[10] = 'T';
    if (text.find("UTC") != std::string::npos) iso += "+00:00";
    return iso;
  }
  return {};
}

std::string videoCodecName(const std::string& format) {
  static const std::array<std::pair<const char*, const char*>, 5> names = {{
      {"AVC", "H.264"},
      {"HEVC", "H.265"},
      {"MPEG-4 Visual", "MPEG-4"},
      {"MPEG Video", "MPEG-2"},
      {"VC-1", "VC-1"},
  }};
  for (const auto& [known, name] : names) {
    if (format == known) return name;
  }
  return format;
}

std::string audioCodecName(const std::string& format, const std::string& profile) {
  if (format == "MPEG Audio") return profile == "Layer 3" ? "MP3" : "MP2";
  return format;
}

std::string codecsOf(MediaInfo& info) {
  const std::string video = videoCodecName(field(info, MediaInfoLib::Stream_Video, L"Format"));
  const std::string audio =
      audioCodecName(field(info, MediaInfoLib::Stream_Audio, L"Format"),
                     field(info, MediaInfoLib::Stream_Audio, L"Format_Profile"));
  if (video.empty()) return audio;
  if (audio.empty()) return video;
  return video + " / " + audio;
}

void takeFacts(MediaInfo& info, MediaFacts& facts) {
  using MediaInfoLib::Stream_Audio;
  using MediaInfoLib::Stream_General;
  using MediaInfoLib::Stream_Video;
  facts.durationMs = numberOf(field(info, Stream_General, L"Duration"));
  facts.bitrateKbps = numberOf(field(info, Stream_General, L"OverallBitRate"), 1000);
  facts.width = numberOf(field(info, Stream_Video, L"Width"));
  facts.height = numberOf(field(info, Stream_Video, L"Height"));
  facts.sampleRate = numberOf(field(info, Stream_Audio, L"SamplingRate"));
  facts.channels = numberOf(field(info, Stream_Audio, L"Channel(s)"));
  std::string created = isoCreated(field(info, Stream_General, L"Recorded_Date"));
  if (created.empty()) created = isoCreated(field(info, Stream_General, L"Encoded_Date"));
  facts.taken = std::move(created);
  facts.codec = codecsOf(info);
}

// Hands MediaInfoLib the pieces of the file it asks for, until it has what it
// needs, the file ends, or the budget is spent.
void feed(MediaInfo& info, BudgetedFile& file, uint64_t size) {
  std::vector<unsigned char> piece(kPieceBytes);
  uint64_t at = 0;
  info.Open_Buffer_Init(size, 0);
  for (int pieces = 0; pieces < kMostPieces; ++pieces) {
    const size_t got = file.readAt(at, reinterpret_cast<char*>(piece.data()), piece.size());
    if (got == 0) break;
    const size_t status = info.Open_Buffer_Continue(piece.data(), got);
    if ((status & kFinished) != 0) break;
    const uint64_t wanted = info.Open_Buffer_Continue_GoTo_Get();
    if (wanted != kNoSeek) {
      if (wanted >= size) break;
      at = wanted;
      info.Open_Buffer_Init(size, at);
    } else {
      at += got;
    }
  }
  info.Open_Buffer_Finalize();
}

}  // namespace

void prepareVideoInfo() {
  MediaInfo info;
  info.Option(L"ParseSpeed", L"0");
  // A few bytes of nothing: MediaInfoLib builds its tables on first use.
  const unsigned char nothing[16] = {};
  info.Open_Buffer_Init(sizeof nothing, 0);
  info.Open_Buffer_Continue(nothing, sizeof nothing);
  info.Open_Buffer_Finalize();
  (void)info.Get(MediaInfoLib::Stream_General, 0, L"Format");
}

bool readVideoInfo(int fd, MediaFacts& facts) {
  BudgetedFile file(fd, kVideoReadBudgetBytes);
  const uint64_t size = file.size();
  if (size == 0) return false;
  MediaInfo info;
  // Headers only: no search of the whole stream for its exact length.
  info.Option(L"ParseSpeed", L"0");
  feed(info, file, size);
  if (info.Count_Get(MediaInfoLib::Stream_Video) == 0 &&
      info.Count_Get(MediaInfoLib::Stream_Audio) == 0) {
    return false;
  }
  takeFacts(info, facts);
  return true;
}

}  // namespace tallyfold
