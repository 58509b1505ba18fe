#pragma once
// Writes the listing pane's document as rich text: a font and colour table,
// then every block as a paragraph with its runs' bold, italic, underline,
// colour, font and size. Streams, so a large listing needs no copy.

#include <string>

class QTextDocument;

namespace tallyfold {
class AtomicFileWriter;
}

namespace tallyfold::gui {

void writeDocumentRtf(const QTextDocument& document, AtomicFileWriter& out);
// The whole document as rich text, for small documents.
std::string documentRtf(const QTextDocument& document);

}  // namespace tallyfold::gui
