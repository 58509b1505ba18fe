#pragma once
// The plain text of a listing, as the listing pane shows it: the text of the
// document without its formatting, one line per paragraph, each line ended by
// "\n". Streams, so the report of a large tree converts in constant memory.

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace tallyfold {

class AtomicFileWriter;

// Receives the text piece by piece, in order.
using TextOutput = std::function<void(std::string_view)>;

void convertRtfToText(std::istream& rtf, const TextOutput& out);
void convertRtfToText(std::istream& rtf, AtomicFileWriter& out);
void convertRtfToText(std::istream& rtf, std::ostream& out);
// False when the rich-text file cannot be opened or read. The writer is not
// committed: that stays with the caller.
bool convertRtfFileToText(const std::string& rtfPath, AtomicFileWriter& out);
// Writes the text of a rich-text file to textPath, replacing it atomically.
// False when the source cannot be read or the text file cannot be written.
bool saveRtfFileAsText(const std::string& rtfPath, const std::string& textPath);

// The plain text of a small document.
std::string rtfToPlainText(std::string_view rtf);

}  // namespace tallyfold
