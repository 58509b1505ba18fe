#include "listing/listing_columns.h"

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
  }
  return "";
}

bool readsFileBytes(ListingColumn column) {
  return column != ListingColumn::Attributes && column != ListingColumn::Owner;
}

}  // namespace tallyfold
