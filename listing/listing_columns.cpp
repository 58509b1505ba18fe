#include "listing/listing_columns.h"

#include "platform/text_trim.h"
#include "report/file_details.h"
#include "report/media_texts.h"

namespace tallyfold {

std::vector<ListingColumn> listingColumnsOf(const ReportSettings& settings) {
  std::vector<ListingColumn> columns;
  const std::pair<int, ListingColumn> choices[] = {
      {settings.attribute, ListingColumn::Attributes},
      {settings.owner, ListingColumn::Owner},
      {settings.version, ListingColumn::Version},
      {settings.crc32, ListingColumn::Crc32},
      {settings.sha256, ListingColumn::Sha256},
      {settings.title, ListingColumn::Title},
      {settings.artist, ListingColumn::Artist},
      {settings.album, ListingColumn::Album},
      {settings.year, ListingColumn::Year},
      {settings.genre, ListingColumn::Genre},
      {settings.comment, ListingColumn::Comment},
      {settings.duration, ListingColumn::Duration},
      {settings.bitrate, ListingColumn::Bitrate},
      {settings.audioFormat, ListingColumn::SampleRate},
      {settings.audioFormat, ListingColumn::Channels},
      {settings.dimensions, ListingColumn::Width},
      {settings.dimensions, ListingColumn::Height},
      {settings.taken, ListingColumn::Taken},
      {settings.camera, ListingColumn::Camera},
      {settings.codec, ListingColumn::Codec},
  };
  for (const auto& [on, column] : choices) {
    if (on) columns.push_back(column);
  }
  return columns;
}

std::string_view listingColumnName(ListingColumn column) {
  switch (column) {
    case ListingColumn::Attributes:
      return "attributes";
    case ListingColumn::Owner:
      return "owner";
    case ListingColumn::Version:
      return "version";
    case ListingColumn::Crc32:
      return "crc32";
    case ListingColumn::Sha256:
      return "sha256";
    case ListingColumn::Title:
      return "title";
    case ListingColumn::Artist:
      return "artist";
    case ListingColumn::Album:
      return "album";
    case ListingColumn::Year:
      return "year";
    case ListingColumn::Genre:
      return "genre";
    case ListingColumn::Comment:
      return "comment";
    case ListingColumn::Duration:
      return "duration";
    case ListingColumn::Bitrate:
      return "bitrate";
    case ListingColumn::SampleRate:
      return "sample_rate";
    case ListingColumn::Channels:
      return "channels";
    case ListingColumn::Width:
      return "width";
    case ListingColumn::Height:
      return "height";
    case ListingColumn::Taken:
      return "taken";
    case ListingColumn::Camera:
      return "camera";
    case ListingColumn::Codec:
      return "codec";
  }
  return "";
}

std::string_view listingColumnTitle(ListingColumn column) {
  switch (column) {
    case ListingColumn::Attributes:
      return "Attributes";
    case ListingColumn::Owner:
      return "Owner";
    case ListingColumn::Version:
      return "Version";
    case ListingColumn::Crc32:
      return "CRC-32";
    case ListingColumn::Sha256:
      return "SHA-256";
    case ListingColumn::Title:
      return "Title";
    case ListingColumn::Artist:
      return "Artist";
    case ListingColumn::Album:
      return "Album";
    case ListingColumn::Year:
      return "Year";
    case ListingColumn::Genre:
      return "Genre";
    case ListingColumn::Comment:
      return "Comment";
    case ListingColumn::Duration:
      return "Duration";
    case ListingColumn::Bitrate:
      return "Bitrate";
    case ListingColumn::SampleRate:
      return "Sample rate";
    case ListingColumn::Channels:
      return "Channels";
    case ListingColumn::Width:
      return "Width";
    case ListingColumn::Height:
      return "Height";
    case ListingColumn::Taken:
      return "Taken";
    case ListingColumn::Camera:
      return "Camera";
    case ListingColumn::Codec:
      return "Codec";
  }
  return "";
}

bool isNumberColumn(ListingColumn column) {
  switch (column) {
    case ListingColumn::Duration:
    case ListingColumn::Bitrate:
    case ListingColumn::SampleRate:
    case ListingColumn::Channels:
    case ListingColumn::Width:
    case ListingColumn::Height:
      return true;
    default:
      return false;
  }
}

FileDetailChoice detailChoiceOf(const std::vector<ListingColumn>& columns) {
  FileDetailChoice choice;
  for (ListingColumn column : columns) {
    switch (column) {
      case ListingColumn::Attributes:
        break;
      case ListingColumn::Owner:
        choice.owner = true;
        break;
      case ListingColumn::Version:
        choice.version = true;
        break;
      case ListingColumn::Crc32:
        choice.crc32 = true;
        break;
      case ListingColumn::Sha256:
        choice.sha256 = true;
        break;
      case ListingColumn::Title:
      case ListingColumn::Artist:
      case ListingColumn::Album:
      case ListingColumn::Year:
      case ListingColumn::Genre:
      case ListingColumn::Comment:
        choice.tags = true;
        break;
      default:
        choice.media = true;
        break;
    }
  }
  return choice;
}

namespace {

std::string attributeLetters(uint8_t attributes) {
  std::string letters = attributeText(attributes);
  std::erase(letters, ' ');
  return letters;
}

// A listing holds a tag text without the blanks at its ends.
std::string tagValue(const std::string& field) {
  return std::string(trimText(field));
}

std::string valueOf(ListingColumn column, const FileEntry& entry, const FileDetails& details) {
  switch (column) {
    case ListingColumn::Attributes:
      return attributeLetters(entry.attributes);
    case ListingColumn::Owner:
      return details.owner;
    case ListingColumn::Version:
      return details.version;
    case ListingColumn::Crc32:
      return details.crc32;
    case ListingColumn::Sha256:
      return details.sha256;
    case ListingColumn::Title:
      return tagValue(details.tags.title);
    case ListingColumn::Artist:
      return tagValue(details.tags.artist);
    case ListingColumn::Album:
      return tagValue(details.tags.album);
    case ListingColumn::Year:
      return tagValue(details.tags.year);
    case ListingColumn::Genre:
      return details.tags.genre;
    case ListingColumn::Comment:
      return tagValue(details.tags.comment);
    case ListingColumn::Duration:
      return durationSeconds(details.media.durationMs);
    case ListingColumn::Bitrate:
      return wholeNumber(details.media.bitrateKbps);
    case ListingColumn::SampleRate:
      return wholeNumber(details.media.sampleRate);
    case ListingColumn::Channels:
      return wholeNumber(details.media.channels);
    case ListingColumn::Width:
      return wholeNumber(details.media.width);
    case ListingColumn::Height:
      return wholeNumber(details.media.height);
    case ListingColumn::Taken:
      return details.media.taken;
    case ListingColumn::Camera:
      return tagValue(details.media.camera);
    case ListingColumn::Codec:
      return details.media.codec;
  }
  return {};
}

}  // namespace

void fillListingValues(const std::vector<ListingColumn>& columns, const FileEntry& entry,
                       const FileDetails& details, std::vector<std::string>& values) {
  values.resize(columns.size());
  for (size_t i = 0; i < columns.size(); ++i) values[i] = valueOf(columns[i], entry, details);
}

}  // namespace tallyfold
