#include "gui/rtf_writer.h"

#include <QColor>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <functional>
#include <string_view>

#include "platform/text_file.h"

namespace tallyfold::gui {

namespace {

using Output = std::function<void(std::string_view)>;

// The fonts and colours the document uses, numbered for the tables.
struct Tables {
  QStringList fonts;
  QList<QRgb> colours;  // table index is position + 1; 0 is the automatic colour

  int fontIndex(const QTextCharFormat& format) const {
    return std::max(0, int(fonts.indexOf(familyOf(format))));
  }
  int colourIndex(const QTextCharFormat& format) const {
    if (!format.hasProperty(QTextFormat::ForegroundBrush)) return 0;
    return int(colours.indexOf(format.foreground().color().rgb())) + 1;
  }
  static QString familyOf(const QTextCharFormat& format) {
    QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.first();
  }
};

Tables tablesOf(const QTextDocument& document) {
  Tables tables;
  tables.fonts << document.defaultFont().family();
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      QTextCharFormat format = it.fragment().charFormat();
      QString family = Tables::familyOf(format);
      if (!family.isEmpty() && !tables.fonts.contains(family)) tables.fonts << family;
      if (format.hasProperty(QTextFormat::ForegroundBrush)) {
        QRgb colour = format.foreground().color().rgb();
        if (!tables.colours.contains(colour)) tables.colours << colour;
      }
    }
  }
  return tables;
}

std::string header(const Tables& tables, const QTextDocument& document) {
  std::string text = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl";
  for (int i = 0; i < tables.fonts.size(); ++i)
    text += "{\\f" + std::to_string(i) + "\\fmodern\\fprq1\\fcharset0 " +
            tables.fonts[i].toStdString() + ";}";
  text += "}{\\colortbl;";
  for (QRgb colour : tables.colours)
    text += "\\red" + std::to_string(qRed(colour)) + "\\green" + std::to_string(qGreen(colour)) +
            "\\blue" + std::to_string(qBlue(colour)) + ";";
  double points = document.defaultFont().pointSizeF();
  text += "}\\viewkind4\\uc1\\pard\\li180\\f0\\fs" + std::to_string(int(points * 2)) + " ";
  return text;
}

std::string formatWords(const QTextCharFormat& format, const Tables& tables) {
  std::string words = "\\plain\\f" + std::to_string(tables.fontIndex(format));
  if (format.hasProperty(QTextFormat::FontPointSize))
    words += "\\fs" + std::to_string(int(format.fontPointSize() * 2));
  if (format.fontWeight() >= QFont::Bold) words += "\\b";
  if (format.fontItalic()) words += "\\i";
  if (format.fontUnderline()) words += "\\ul";
  words += "\\cf" + std::to_string(tables.colourIndex(format)) + " ";
  return words;
}

// RTF's own characters escaped, everything beyond ASCII as \u with a "?" for
// readers that do not know it.
std::string escaped(const QString& text) {
  std::string out;
  out.reserve(size_t(text.size()));
  for (QChar c : text) {
    char16_t u = c.unicode();
    if (u == '\\' || u == '{' || u == '}') {
      out += '\\';
      out += char(u);
    } else if (u == '\t') {
      out += "\\tab ";
    } else if (u < 0x80) {
      out += char(u);
    } else {
      out += "\\u" + std::to_string(int16_t(u)) + "?";
    }
  }
  return out;
}

void writeRtf(const QTextDocument& document, const Output& out) {
  Tables tables = tablesOf(document);
  out(header(tables, document));
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    std::string line;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      QTextFragment fragment = it.fragment();
      line += "{" + formatWords(fragment.charFormat(), tables) + escaped(fragment.text()) + "}";
    }
    if (block.next().isValid()) line += "\\par";
    out(line + "\r\n");
  }
  out("}");
}

}  // namespace

void writeDocumentRtf(const QTextDocument& document, AtomicFileWriter& out) {
  writeRtf(document, [&out](std::string_view text) { out.write(text); });
}

std::string documentRtf(const QTextDocument& document) {
  std::string text;
  writeRtf(document, [&text](std::string_view piece) { text.append(piece); });
  return text;
}

}  // namespace tallyfold::gui
