#pragma once
// Audio files made to hurt a tag parser, written by the tests themselves:
// deep nesting that exhausts a recursive parser's stack, a compressed frame
// that inflates far beyond its size, and sparse files of gigabytes that a
// parser searching for its next page would read to the end. Also one small
// well-formed tagged MP3 to list beside them.

#include <cstdint>
#include <string>

namespace tallyfold::test {

// An ID3v2.4 tag of depth CHAP frames, each holding the next; the innermost
// holds a title frame.
std::string nestedChapterMp3(int depth);
// An M4A file whose moov atom holds depth nested moov atoms.
std::string nestedAtomM4a(int depth);
// An MP3 whose ID3v2.4 tag holds one zlib-compressed PRIV frame that
// inflates to inflatedBytes zero bytes (about 1/1000 of that on disk).
std::string compressedPrivMp3(uint64_t inflatedBytes);
// An ID3v2.4 tag with title, artist, album, year, genre and comment, and a
// few bytes of audio after it.
std::string taggedMp3(const std::string& title, const std::string& artist, const std::string& album,
                      const std::string& year, const std::string& genre,
                      const std::string& comment);
// Writes path as a sparse file of size bytes, holes only: a parser that
// does not find its format's marker at the start searches the whole file
// for it (TagLib's FLAC and Ogg readers do).
void writeSparseFile(const std::string& path, uint64_t size);

}  // namespace tallyfold::test
