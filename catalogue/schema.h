#pragma once
// The catalogue's tables, their version (PRAGMA user_version) and the steps
// that bring a file made by an earlier version up to the current one.

#include <cstdint>

#include "catalogue/sqlite_database.h"

namespace tallyfold {

// "TFCA": the application id that tells a catalogue from any other SQLite file.
inline constexpr int64_t kCatalogueApplicationId = 0x54464341;
inline constexpr int64_t kCatalogueSchemaVersion = 3;
// The oldest version whose tables the reading code takes as they are: a file
// opened read-only from it on is read without an update, and what a later
// version added (the media facts) comes out empty.
inline constexpr int64_t kOldestSchemaReadAsIs = 2;

// The first version's tables, as its files hold them: a new catalogue is
// made by these and then migrated like any other file.
extern const char* const kFirstSchema;

// What the file's header says about it.
enum class SchemaState { Empty, Current, OlderReadable, Older, Newer, Foreign };
SchemaState schemaStateOf(CatalogueDatabase& database, int& code);

// Whether a file of this version holds the media facts.
inline bool schemaHoldsMedia(int64_t version) {
  return version >= 3;
}

// Makes the first version's tables in an empty file; SQLite's result code.
int createFirstSchema(CatalogueDatabase& database);
// Runs every step from the file's version to the current one, in one
// transaction; SQLite's result code.
int migrateSchema(CatalogueDatabase& database);

// The name of a scan's name index.
std::string nameIndexTable(int64_t scanId);

}  // namespace tallyfold
