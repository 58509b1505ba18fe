// Save As in its six forms, the HTML window, and a save that fails.

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTextCursor>
#include <filesystem>

#include "gui/html_window.h"
#include "gui/listing_font.h"
#include "gui/page_window.h"
#include "gui/save_as.h"
#include "gui_fixture.h"
#include "output/rtf_reader.h"

namespace tallyfold::test {
namespace {

class SaveAsTest : public GuiTest {
 protected:
  SaveAsTest() {
    pane.setPlainText("first line\nsecond {line}\\");
    QTextCursor cursor(pane.document());
    cursor.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.mergeCharFormat(bold);
  }
  void saveAs(const std::string& name, const QString& filter = "Rich text format(*.rtf)") {
    dialogs.saveFiles = {QString::fromStdString(root / name)};
    dialogs.selectedFilter = filter;
    gui::runSaveAs(gui::SaveAsRequest{nullptr, &pane, appFile("tmpfile.dmp"), "courier new", "10"});
  }
  static RunSettings settingsOf(const std::string& folder) {
    RunSettings run;
    ScanLocation location;
    location.folder = folder;
    run.job.locations = {location};
    return run;
  }
  static ScanResult scanOf(const RunSettings& run) {
    RunControl control;
    return scanJob(run, control);
  }
  QPlainTextEdit pane;
};

TEST_F(SaveAsTest, TheFileNamesOwnExtensionPicksTheForm) {
  EXPECT_EQ(gui::formOfFileName("/x.txt/list.rtf"), OutputForm::RichText);
  EXPECT_EQ(gui::formOfFileName("/a/list.txt.rtf"), OutputForm::RichText);
  EXPECT_EQ(gui::formOfFileName("/a/LIST.TXT"), OutputForm::PlainText);
  EXPECT_EQ(gui::formOfFileName("/a/page.html"), OutputForm::Html);
  EXPECT_EQ(gui::formOfFileName("/a/list.doc"), std::nullopt);
  // A name beyond ASCII keeps its extension.
  EXPECT_EQ(gui::formOfFileName(QString::fromUtf8("/a/Liste \u00fc.JSON")), OutputForm::Json);
  EXPECT_EQ(gui::withFormExtension("/a/list", "Text file(*.txt)"), "/a/list.txt");
  EXPECT_EQ(gui::withFormExtension("/a/list", "CSV listing(*.csv)"), "/a/list.csv");
  EXPECT_EQ(gui::withFormExtension("/a/list", "Rich text format(*.rtf)"), "/a/list.rtf");
  EXPECT_EQ(gui::withFormExtension("/a/list.doc", "Webpage HTML(*.htm)"), "/a/list.doc.htm");
  EXPECT_EQ(gui::withFormExtension("/a/list.rtf", "Text file(*.txt)"), "/a/list.rtf");
}

TEST_F(SaveAsTest, RichAndPlainTextComeFromThePane) {
  saveAs("list", "Rich text format(*.rtf)");
  std::string rtf = readFile(root / "list.rtf");
  EXPECT_EQ(rtf.substr(rtf.size() - 3), "}\r\n");
  std::vector<RtfParagraph> paragraphs = parseRtf(rtf);
  ASSERT_EQ(paragraphs.size(), 2u);
  EXPECT_EQ(paragraphs[0].text(), "first line");
  EXPECT_TRUE(paragraphs[0].runs[0].style.bold);
  EXPECT_EQ(paragraphs[0].runs[0].text, "first");
  EXPECT_EQ(paragraphs[1].text(), "second {line}\\");

  saveAs("list.txt", "Rich text format(*.rtf)");
  EXPECT_EQ(readFile(root / "list.txt"), "first line\nsecond {line}\\\n");

  // The earlier file is replaced whole, never truncated first.
  root.writeFile("old.txt", std::string(10000, 'x'));
  saveAs("old.txt");
  EXPECT_EQ(readFile(root / "old.txt"), "first line\nsecond {line}\\\n");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SaveAsTest, RichTextNamesTheChosenListingFontNotTheFaceShowingIt) {
  // The pane shows a font this machine lacks through a stand-in face; the
  // file still names the font the user chose, escaped for the font table.
  for (QString chosen : {QString("Courier New"), QString("Odd{Font}\\")}) {
    QPlainTextEdit listing;
    listing.setFont(gui::listingFont(chosen, "10"));
    listing.document()->setDefaultFont(listing.font());
    QTextCharFormat format;
    format.setFontFamilies({gui::installedFamily(chosen)});
    QTextCursor(listing.document()).insertText("a.txt\tone", format);
    std::string error;
    const std::string path = root / "font.rtf";
    ASSERT_TRUE(gui::savePaneAsRichText(listing, path.c_str(), chosen, error)) << error;
    const std::string rtf = readFile(path);
    const std::string table = rtf.substr(0, rtf.find("{\\colortbl"));
    const std::string inTable = chosen == "Courier New" ? "Courier New" : "Odd\\{Font\\}\\\\";
    EXPECT_EQ(table,
              "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern"
              "\\fprq1\\fcharset0 " +
                  inTable + ";}}");
    EXPECT_NE(rtf.find("a.txt\\tab one}"), std::string::npos) << rtf;
    std::vector<RtfParagraph> paragraphs = parseRtf(rtf);
    ASSERT_EQ(paragraphs.size(), 1u);
    EXPECT_EQ(paragraphs[0].runs[0].style.fontName, chosen.toStdString());
  }
}

TEST_F(SaveAsTest, CsvAndJsonComeFromTheLastScansRecords) {
  // Before any scan there are no records to list.
  saveAs("list.csv");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(dialogs.messages[0].text.contains("scan first"));
  EXPECT_FALSE(std::filesystem::exists(root / "list.csv"));

  root.writeFile("music/a, b.mp3", "abc");
  RunSettings run = settingsOf(root / "music");
  ScanResult scan = scanOf(run);
  dialogs.saveFiles = {QString::fromStdString(root / "list")};
  dialogs.selectedFilter = "JSON listing(*.json)";
  gui::runSaveAs(gui::SaveAsRequest{nullptr, &pane, appFile("tmpfile.dmp"), "courier new", "10",
                                    &scan, &run, 1700000000});
  const std::string json = readFile(root / "list.json");
  EXPECT_NE(json.find("\"a, b.mp3\""), std::string::npos) << json;
  dialogs.saveFiles = {QString::fromStdString(root / "list.csv")};
  gui::runSaveAs(gui::SaveAsRequest{nullptr, &pane, appFile("tmpfile.dmp"), "courier new", "10",
                                    &scan, &run, 1700000000});
  EXPECT_NE(readFile(root / "list.csv").find("\"a, b.mp3\""), std::string::npos);
}

TEST_F(SaveAsTest, HtmlComesFromTheReportFileAndCancelKeepsTheEarlierPage) {
  root.writeFile(
      "app/tmpfile.dmp",
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\r\n\\par a.txt    5 KB \\par\r\n}\r\n");
  saveAs("page.html");
  std::string page = readFile(root / "page.html");
  EXPECT_NE(page.find("a.txt"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(root / "page.html.part"));

  root.writeFile("kept.htm", "earlier");
  gui::HtmlWindow window(appFile("tmpfile.dmp"), root / "kept.htm", "courier new", "10", nullptr);
  window.reject();  // Cancel before the first line
  window.exec();
  EXPECT_TRUE(window.cancelled());
  EXPECT_FALSE(window.written());
  EXPECT_EQ(readFile(root / "kept.htm"), "earlier");
  EXPECT_FALSE(std::filesystem::exists(root / "kept.htm.part"));
}

TEST_F(SaveAsTest, TheBrowsablePageComesFromTheLastScanAndCancelKeepsTheEarlierFile) {
  saveAs("browse", gui::kBrowsablePageFilter);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(dialogs.messages[0].text.contains("scan first"));
  EXPECT_FALSE(std::filesystem::exists(root / "browse.html"));
  EXPECT_EQ(gui::withFormExtension("/a/browse", gui::kBrowsablePageFilter), "/a/browse.html");

  root.writeFile("music/<b>&amp;.mp3", "abc");
  RunSettings run = settingsOf(root / "music");
  ScanResult scan = scanOf(run);
  dialogs.saveFiles = {QString::fromStdString(root / "browse")};
  dialogs.selectedFilter = gui::kBrowsablePageFilter;
  gui::runSaveAs(gui::SaveAsRequest{nullptr, &pane, appFile("tmpfile.dmp"), "courier new", "10",
                                    &scan, &run, 1700000000});
  EXPECT_EQ(dialogs.messages.size(), 1u);
  const std::string page = readFile(root / "browse.html");
  EXPECT_NE(page.find("Content-Security-Policy"), std::string::npos);
  EXPECT_NE(page.find("\\3Cb>&amp;.mp3\n"), std::string::npos);
  // The same name with the report page's filter is the report as HTML.
  EXPECT_EQ(page.find("first line"), std::string::npos);

  root.writeFile("kept.html", "earlier");
  gui::PageWindow window(scan, run, 1700000000, root / "kept.html", nullptr);
  window.reject();  // Cancel before the first file
  window.exec();
  EXPECT_TRUE(window.cancelled());
  EXPECT_FALSE(window.written());
  EXPECT_EQ(readFile(root / "kept.html"), "earlier");
}

TEST_F(SaveAsTest, AFailedSaveIsToldAndThePaneStays) {
  saveAs("missing/folder/list.txt");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].title, "Error");
  EXPECT_TRUE(dialogs.messages[0].text.contains("missing/folder/list.txt"));
  EXPECT_EQ(pane.toPlainText(), "first line\nsecond {line}\\");
  saveAs("");  // the dialog cancelled: nothing at all
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

}  // namespace
}  // namespace tallyfold::test
