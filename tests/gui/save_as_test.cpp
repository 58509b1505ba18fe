// Save As in its five forms, the HTML window, and a save that fails.

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTextCursor>
#include <filesystem>

#include "gui/html_window.h"
#include "gui/save_as.h"
#include "gui_fixture.h"
#include "output/rtf_reader.h"

namespace tallyfold::test {
namespace {

using gui::ListingForm;

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
  QPlainTextEdit pane;
};

TEST_F(SaveAsTest, TheFileNamesOwnExtensionPicksTheForm) {
  EXPECT_EQ(gui::formOfFileName("/x.txt/list.rtf"), ListingForm::RichText);
  EXPECT_EQ(gui::formOfFileName("/a/list.txt.rtf"), ListingForm::RichText);
  EXPECT_EQ(gui::formOfFileName("/a/LIST.TXT"), ListingForm::PlainText);
  EXPECT_EQ(gui::formOfFileName("/a/page.html"), ListingForm::Html);
  EXPECT_EQ(gui::formOfFileName("/a/list.doc"), ListingForm::None);
  EXPECT_EQ(gui::withFormExtension("/a/list", "Text file(*.txt)"), "/a/list.txt");
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

TEST_F(SaveAsTest, CsvAndJsonComeFromTheLastScansRecords) {
  // Before any scan there are no records to list.
  saveAs("list.csv");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(dialogs.messages[0].text.contains("scan first"));
  EXPECT_FALSE(std::filesystem::exists(root / "list.csv"));

  root.writeFile("music/a, b.mp3", "abc");
  RunSettings run;
  ScanLocation location;
  location.folder = root / "music";
  run.job.locations = {location};
  RunControl control;
  ScanResult scan = scanJob(run, control);
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
