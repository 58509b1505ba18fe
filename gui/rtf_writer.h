#pragma once
// The listing pane's document handed to the program's RTF writer: its fonts
// and colours gathered into the tables, every fragment as a styled run.

#include <QString>

class QTextDocument;

namespace tallyfold {
class AtomicFileWriter;
}

namespace tallyfold::gui {

// chosenFont is the listing font the user chose: the pane shows it through
// the installed face that stands in for it, but the file names the chosen one.
void writeDocumentRtf(const QTextDocument& document, const QString& chosenFont,
                      AtomicFileWriter& out);

}  // namespace tallyfold::gui
