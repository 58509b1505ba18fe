#include "support/hostile_media.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <stdexcept>
#include <vector>

namespace tallyfold::test {

namespace {

std::string be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

std::string syncsafe(uint32_t v) {
  return {static_cast<char>((v >> 21) & 0x7f), static_cast<char>((v >> 14) & 0x7f),
          static_cast<char>((v >> 7) & 0x7f), static_cast<char>(v & 0x7f)};
}

std::string id3v24Frame(const std::string& id, const std::string& body, uint16_t flags = 0) {
  return id + syncsafe(static_cast<uint32_t>(body.size())) + static_cast<char>(flags >> 8) +
         static_cast<char>(flags & 0xff) + body;
}

std::string textFrame(const std::string& id, const std::string& text) {
  return id3v24Frame(id, std::string(1, '\x03') + text);  // 3: UTF-8
}

std::string id3v24Tag(const std::string& frames) {
  return std::string("ID3\x04\x00\x00", 6) + syncsafe(static_cast<uint32_t>(frames.size())) +
         frames;
}

// A few MPEG audio frame headers so that the file looks like audio after its tag.
std::string someAudio() {
  std::string audio;
  for (int i = 0; i < 4; ++i) audio += std::string("\xff\xfb\x90\x00", 4) + std::string(413, '\0');
  return audio;
}

std::string atom(const std::string& type, const std::string& body) {
  return be32(static_cast<uint32_t>(8 + body.size())) + type + body;
}

// zlib stream of count zero bytes, deflated in slices so that the zeros
// never sit in memory at once.
std::string deflatedZeros(uint64_t count) {
  z_stream stream{};
  if (deflateInit(&stream, Z_BEST_COMPRESSION) != Z_OK) throw std::runtime_error("deflateInit");
  std::vector<unsigned char> zeros(1 << 20, 0);
  std::vector<unsigned char> out(1 << 16);
  std::string result;
  uint64_t left = count;
  int flush = Z_NO_FLUSH;
  do {
    const uint64_t slice = left < zeros.size() ? left : zeros.size();
    left -= slice;
    flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
    stream.next_in = zeros.data();
    stream.avail_in = static_cast<uInt>(slice);
    do {
      stream.next_out = out.data();
      stream.avail_out = static_cast<uInt>(out.size());
      deflate(&stream, flush);
      result.append(reinterpret_cast<const char*>(out.data()), out.size() - stream.avail_out);
    } while (stream.avail_out == 0);
  } while (flush != Z_FINISH);
  deflateEnd(&stream);
  return result;
}

void writeSparse(const std::string& path, const std::string& head, uint64_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("cannot create " + path);
  const bool written = ::write(fd, head.data(), head.size()) == static_cast<ssize_t>(head.size());
  const bool sized = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
  ::close(fd);
  if (!written || !sized) throw std::runtime_error("cannot write " + path);
}

}  // namespace

std::string nestedChapterMp3(int depth) {
  std::string frame = textFrame("TIT2", "deep");
  for (int i = 0; i < depth; ++i) {
    frame = id3v24Frame("CHAP", std::string("c\0", 2) + std::string(16, '\0') + frame);
  }
  return id3v24Tag(frame) + someAudio();
}

std::string nestedAtomM4a(int depth) {
  std::string inner = atom("mvhd", std::string(100, '\0'));
  for (int i = 0; i < depth; ++i) inner = atom("moov", inner);
  return atom("ftyp", "M4A " + be32(0) + "M4A isom") + inner + atom("mdat", std::string(16, '\0'));
}

std::string compressedPrivMp3(uint64_t inflatedBytes) {
  // Flags: compressed (0x0008) with the data length indicator (0x0001) that
  // ID3v2.4 asks of a compressed frame.
  const std::string body =
      syncsafe(static_cast<uint32_t>(inflatedBytes)) + deflatedZeros(inflatedBytes);
  return id3v24Tag(textFrame("TIT2", "bomb") + id3v24Frame("PRIV", body, 0x0009)) + someAudio();
}

std::string taggedMp3(const std::string& title, const std::string& artist, const std::string& album,
                      const std::string& year, const std::string& genre,
                      const std::string& comment) {
  const std::string commentBody = std::string("\x03", 1) + "eng" + std::string(1, '\0') + comment;
  const std::string frames = textFrame("TIT2", title) + textFrame("TPE1", artist) +
                             textFrame("TALB", album) + textFrame("TDRC", year) +
                             textFrame("TCON", genre) + id3v24Frame("COMM", commentBody);
  return id3v24Tag(frames) + someAudio();
}

void writeSparseFile(const std::string& path, uint64_t size) {
  writeSparse(path, {}, size);
}

}  // namespace tallyfold::test
