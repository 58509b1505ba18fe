#include "scan/mp3_tag.h"

#include <array>

#include "platform/file_tail.h"
#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

constexpr size_t kTagSize = 128;

// The ID3v1 genres with the Winamp extensions, by genre number. A few rows
// keep older spellings, so that stored listings and new ones agree.
constexpr std::array<std::string_view, 148> kGenreNames = {
    "Blues",                  // 0
    "Classic Rock",           // 1
    "Country",                // 2
    "Dance",                  // 3
    "Disco",                  // 4
    "Funk",                   // 5
    "Grunge",                 // 6
    "Hip-Hop",                // 7
    "Jazz",                   // 8
    "Metal",                  // 9
    "New Age",                // 10
    "Oldies",                 // 11
    "Other",                  // 12
    "Pop",                    // 13
    "R&B",                    // 14
    "Rap",                    // 15
    "Reggae",                 // 16
    "Rock",                   // 17
    "Techno",                 // 18
    "Industrial",             // 19
    "Alternative",            // 20
    "Ska",                    // 21
    "Death Metal",            // 22
    "Pranks",                 // 23
    "Soundtrack",             // 24
    "Euro-Techno",            // 25
    "Ambient",                // 26
    "Trip Hop",               // 27
    "Vocal",                  // 28
    "Jazz+Funk",              // 29
    "Fusion",                 // 30
    "Trance",                 // 31
    "Classical",              // 32
    "Instrumental",           // 33
    "Acid",                   // 34
    "House",                  // 35
    "Game",                   // 36
    "Sound Clip",             // 37
    "Gospel",                 // 38
    "Noise",                  // 39
    "Alt. Rock",              // 40
    "Bass",                   // 41
    "Soul",                   // 42
    "Punk",                   // 43
    "Space",                  // 44
    "Meditative",             // 45
    "Instrumental Pop",       // 46
    "Instrumental Rock",      // 47
    "Ethnic",                 // 48
    "Gothic",                 // 49
    "Darkwave",               // 50
    "Techno-Industrial",      // 51
    "Electronic",             // 52
    "Pop-Folk",               // 53
    "Eurodance",              // 54
    "Dream",                  // 55
    "Southern Rock",          // 56
    "Comedy",                 // 57
    "Cult",                   // 58
    "Gangsta Rap",            // 59
    "Top 40",                 // 60
    "Christian Rap",          // 61
    "Pop/Punk",               // 62
    "Jungle",                 // 63
    "Native American",        // 64
    "Cabaret",                // 65
    "New Wave",               // 66
    "Phychedelic",            // 67
    "Rave",                   // 68
    "Showtunes",              // 69
    "Trailer",                // 70
    "Lo-Fi",                  // 71
    "Tribal",                 // 72
    "Acid Punk",              // 73
    "Acid Jazz",              // 74
    "Polka",                  // 75
    "Retro",                  // 76
    "Musical",                // 77
    "Rock & Roll",            // 78
    "Hard Rock",              // 79
    "Folk",                   // 80
    "Folk/Rock",              // 81
    "National Folk",          // 82
    "Swing",                  // 83
    "Fast-Fusion",            // 84
    "Bebob",                  // 85
    "Latin",                  // 86
    "Revival",                // 87
    "Celtic",                 // 88
    "Blue Grass",             // 89
    "Avantegarde",            // 90
    "Gothic Rock",            // 91
    "Progressive Rock",       // 92
    "Psychedelic Rock",       // 93
    "Symphonic Rock",         // 94
    "Slow Rock",              // 95
    "Big Band",               // 96
    "Chorus",                 // 97
    "Easy Listening",         // 98
    "Acoustic",               // 99
    "Humour",                 // 100
    "Speech",                 // 101
    "Chanson",                // 102
    "Opera",                  // 103
    "Chamber Music",          // 104
    "Sonata",                 // 105
    "Symphony",               // 106
    "Booty Bass",             // 107
    "Primus",                 // 108
    "Porn Groove",            // 109
    "Satire",                 // 110
    "Slow Jam",               // 111
    "Club",                   // 112
    "Tango",                  // 113
    "Samba",                  // 114
    "Folklore",               // 115
    "Ballad",                 // 116
    "Power Ballad",           // 117
    "Rhythmic Soul",          // 118
    "Freestyle",              // 119
    "Duet",                   // 120
    "Punk Rock",              // 121
    "Drum Solo",              // 122
    "A Capella",              // 123
    "Euro-House",             // 124
    "Dance Hall",             // 125
    "Goa",                    // 126
    "Drum & Bass",            // 127
    "Club-House",             // 128
    "Hardcore",               // 129
    "Terror",                 // 130
    "Indie",                  // 131
    "Brit Pop",               // 132
    "Afro-Punk",              // 133
    "Polsk Punk",             // 134
    "Beat",                   // 135
    "Christian Gangsta Rap",  // 136
    "Heavy Metal",            // 137
    "Black Metal",            // 138
    "Crossover",              // 139
    "Comteporary Christian",  // 140
    "Christian Rock",         // 141
    "Merengue",               // 142
    "Salsa",                  // 143
    "Trash Metal",            // 144
    "Anime",                  // 145
    "JPop",                   // 146
    "Synth Pop",              // 147
};
static_assert(!kGenreNames.back().empty(), "every genre number up to 147 has a name");

// ID3v1 tags were written in the Windows code page of their day, 1252, so
// bytes 0x80 to 0x9F are letters and marks such as "€", "…" and "Š". Each byte
// gives one character, which keeps the columns after the field in place. The
// five bytes the code page leaves unassigned give U+FFFD: a control character
// would show as a blank and hide that the tag holds something there.
std::string windows1252ToUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() * 3);
  for (const char byte : bytes) {
    char32_t c = windows1252ToUnicode(static_cast<unsigned char>(byte));
    if (c >= 0x80 && c <= 0x9F) c = 0xFFFD;
    appendUtf8(text, c);
  }
  return text;
}

// A fixed-width text field: what lies before the first NUL, as UTF-8 (taken
// as it is when it already is UTF-8, else read as Windows-1252), padded with
// blanks to the field's width in characters.
std::string fieldText(std::string_view bytes) {
  const std::string_view kept = bytes.substr(0, bytes.find('\0'));
  std::string text = isValidUtf8(kept) ? std::string(kept) : windows1252ToUtf8(kept);
  const size_t length = utf8Length(text);
  if (length < bytes.size()) text.append(bytes.size() - length, ' ');
  return text;
}

void fillFromTag(std::string_view record, Mp3Tag& tag) {
  tag.marker = "TAG";
  tag.title = fieldText(record.substr(3, 30));
  tag.artist = fieldText(record.substr(33, 30));
  tag.album = fieldText(record.substr(63, 30));
  tag.year = fieldText(record.substr(93, 4));
  tag.comment = fieldText(record.substr(97, 30));
  tag.genre = static_cast<uint8_t>(record[127]);
  tag.genreName = std::string(genreNameOf(tag.genre));
}

}  // namespace

std::string_view genreNameOf(uint8_t genre) {
  return genre < kGenreNames.size() ? kGenreNames[genre] : std::string_view();
}

bool readMp3TagOfOpenFile(int fd, Mp3Tag& tag) {
  tag = Mp3Tag{};
  const std::optional<std::string> record = readOpenFileTail(fd, kTagSize);
  if (!record || record->size() < kTagSize) return false;
  if (record->compare(0, 3, "TAG") != 0) return false;
  fillFromTag(*record, tag);
  return true;
}

bool readMp3Tag(const std::string& path, Mp3Tag& tag) {
  tag = Mp3Tag{};
  const std::optional<std::string> record = readFileTail(path, kTagSize);
  if (!record || record->size() < kTagSize) return false;
  if (record->compare(0, 3, "TAG") != 0) return false;
  fillFromTag(*record, tag);
  return true;
}

}  // namespace tallyfold
