#include "gui/rtf_writer.h"

#include <QColor>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include "gui/listing_font.h"
#include "platform/text_file.h"
#include "report/rtf_frame.h"

namespace tallyfold::gui {

namespace {

QString familyOf(const QTextCharFormat& format) {
  QStringList families = format.fontFamilies().toStringList();
  return families.isEmpty() ? QString() : families.first();
}

// The fonts and colours the document uses, numbered for the tables.
class Tables {
 public:
  Tables(const QTextDocument& document, const QString& chosenFont)
      : chosenFont_(chosenFont), standIn_(installedFamily(chosenFont)) {
    fonts_ << nameInFile(document.defaultFont().family());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
      for (auto it = block.begin(); !it.atEnd(); ++it) add(it.fragment().charFormat());
  }

  RtfRunStyle styleOf(const QTextCharFormat& format) const {
    RtfRunStyle style;
    QString family = familyOf(format);
    style.font =
        family.isEmpty() ? 0 : size_t(std::max(0, int(fonts_.indexOf(nameInFile(family)))));
    if (format.hasProperty(QTextFormat::FontPointSize))
      style.halfPoints = int(format.fontPointSize() * 2);
    style.bold = format.fontWeight() >= QFont::Bold;
    style.italic = format.fontItalic();
    style.underline = format.fontUnderline();
    if (format.hasProperty(QTextFormat::ForegroundBrush))
      style.colour = size_t(colours_.indexOf(format.foreground().color().rgb())) + 1;
    return style;
  }

  std::vector<std::string> fonts() const {
    std::vector<std::string> names;
    for (const QString& name : fonts_) names.push_back(name.toStdString());
    return names;
  }

  std::vector<RtfColour> colours() const {
    std::vector<RtfColour> table;
    for (QRgb colour : colours_)
      table.push_back({uint8_t(qRed(colour)), uint8_t(qGreen(colour)), uint8_t(qBlue(colour))});
    return table;
  }

 private:
  void add(const QTextCharFormat& format) {
    QString family = familyOf(format);
    if (!family.isEmpty() && !fonts_.contains(nameInFile(family))) fonts_ << nameInFile(family);
    if (format.hasProperty(QTextFormat::ForegroundBrush)) {
      QRgb colour = format.foreground().color().rgb();
      if (!colours_.contains(colour)) colours_ << colour;
    }
  }
  // The face that shows the chosen font on this machine is written as the
  // chosen font, so the file keeps the user's choice wherever it is opened.
  QString nameInFile(const QString& family) const {
    return !chosenFont_.isEmpty() && family == standIn_ ? chosenFont_ : family;
  }

  QString chosenFont_;
  QString standIn_;
  QStringList fonts_;
  QList<QRgb> colours_;
};

template <typename Output>
void writeRtf(const QTextDocument& document, const QString& chosenFont, Output output) {
  Tables tables(document, chosenFont);
  RtfDocumentWriter writer(output);
  writer.begin(tables.fonts(), tables.colours(), int(document.defaultFont().pointSizeF() * 2));
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      QTextFragment fragment = it.fragment();
      writer.writeRun(fragment.text().toStdString(), tables.styleOf(fragment.charFormat()));
    }
    if (block.next().isValid()) writer.endParagraph();
  }
  writer.end();
}

}  // namespace

void writeDocumentRtf(const QTextDocument& document, const QString& chosenFont,
                      AtomicFileWriter& out) {
  writeRtf(document, chosenFont, [&out](std::string_view text) { out.write(text); });
}

}  // namespace tallyfold::gui
