// Printing the listing pane to PDF files, Page Setup's margins in both
// measurement systems and their store, and the Help menu's addresses.

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMenu>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextCursor>
#include <QUrl>

#include "gui/listing_pane.h"
#include "gui/main_window.h"
#include "gui/page_setup.h"
#include "gui_fixture.h"
#include "platform/settings_store.h"
#include "support/process.h"

namespace tallyfold::test {
namespace {

using gui::MarginUnits;

// The page count from the PDF's own page tree (the root /Pages object).
int pdfPages(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return -1;
  static const QRegularExpression pages(R"(/Type\s*/Pages\b[^>]*/Count\s+(\d+))");
  QRegularExpressionMatch match = pages.match(QString::fromLatin1(file.readAll()));
  return match.hasMatch() ? match.captured(1).toInt() : -1;
}

class PrintTest : public GuiTest {
 protected:
  PrintTest() {
    application();
    window.startUp();
  }
  ~PrintTest() override { QLocale::setDefault(QLocale::c()); }

  gui::ListingPane* pane() { return child<gui::ListingPane>(&window, "rTxt"); }

  void fill(int lines) {
    QStringList text;
    for (int i = 1; i <= lines; ++i) text << QString("listing line %1").arg(i);
    pane()->setPlainText(text.join('\n'));
  }

  // Prints through Print... into a PDF file and answers its page count.
  int print(const std::string& name) {
    std::string path = root / name;
    dialogs.printAnswers.push_back([path](QPrinter& printer) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setPageSize(QPageSize(QPageSize::A4));
      printer.setOutputFileName(QString::fromStdString(path));
      return true;
    });
    window.action("mnuPrint")->trigger();
    return QFileInfo::exists(QString::fromStdString(path)) ? pdfPages(path) : 0;
  }

  std::string pageText(const std::string& name, int page) {
    std::string pdf = root / name;
    std::string text = root / (name + ".txt");
    std::string p = std::to_string(page);
    runProgram("/usr/bin/pdftotext", {"-f", p, "-l", p, pdf, text});
    QFile file(QString::fromStdString(text));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
  }

  // Page Setup, answered with margins in the dialog's unit; the margins the
  // dialog offered land in offered.
  void pageSetup(QMarginsF set, bool footer, QMarginsF* offered = nullptr, bool confirm = true) {
    dialogs.pageSetupAnswers.push_back([=](QPrinter& printer, gui::PageOptions& options) {
      printer.setPageSize(QPageSize(QPageSize::A4));
      QPageLayout layout = printer.pageLayout();
      if (offered) *offered = layout.margins();
      if (!set.isNull()) printer.setPageMargins(set, layout.units());
      options.pageNumbers = footer;
      return confirm;
    });
    window.action("mnuPageSetup")->trigger();
  }

  std::string stored(const char* key) {
    return SettingsStore(std::string(kSettingsApplication)).get("Margins", key, "none");
  }

  gui::MainWindow window;
};

TEST(PageMarginUnits, ConvertBothWaysInBothSystemsRoundingHalvesToEven) {
  EXPECT_EQ(gui::marginToDialog(720, MarginUnits::Millimetre), 1270);
  EXPECT_EQ(gui::marginToDialog(720, MarginUnits::Inch), 500);
  EXPECT_EQ(gui::marginFromDialog(1270, MarginUnits::Millimetre), 720);
  EXPECT_EQ(gui::marginFromDialog(500, MarginUnits::Inch), 720);
  EXPECT_EQ(gui::marginToDialog(18, MarginUnits::Inch), 12);             // 12.5
  EXPECT_EQ(gui::marginFromDialog(1500, MarginUnits::Millimetre), 850);  // 850.5
  EXPECT_EQ(gui::marginFromDialog(2000, MarginUnits::Millimetre), 1134);
  EXPECT_EQ(gui::marginToDialog(1440, MarginUnits::Inch), 1000);
  for (int twips : {0, 1, 283, 567, 1000, 1440, 5000})
    for (MarginUnits units : {MarginUnits::Millimetre, MarginUnits::Inch})
      EXPECT_NEAR(gui::marginFromDialog(gui::marginToDialog(twips, units), units), twips, 1);
}

TEST(PageMarginUnits, EveryLocaleMeasuresInMillimetresOrInches) {
  EXPECT_EQ(gui::marginUnitsOf(QLocale("en_US")), MarginUnits::Inch);
  EXPECT_EQ(gui::marginUnitsOf(QLocale("de_DE")), MarginUnits::Millimetre);
  EXPECT_EQ(gui::marginUnitsOf(QLocale("fr_FR")), MarginUnits::Millimetre);
  EXPECT_EQ(gui::marginUnitsOf(QLocale::c()), MarginUnits::Millimetre);
}

TEST_F(PrintTest, PageSetupOffersTheStoredMarginsInTheLocalesUnitAndStoresTheChoice) {
  QLocale::setDefault(QLocale("de_DE"));
  QMarginsF offered;
  pageSetup({}, false, &offered);
  EXPECT_EQ(offered, QMarginsF(12.7, 12.7, 12.7, 12.7));
  for (const char* key : {"Top", "Bottom", "Left", "Right"}) EXPECT_EQ(stored(key), "720");

  pageSetup(QMarginsF(20, 12.7, 15, 30), true);
  EXPECT_EQ(stored("Left"), "1134");
  EXPECT_EQ(stored("Top"), "720");
  EXPECT_EQ(stored("Right"), "850");
  EXPECT_EQ(stored("Bottom"), "1701");
  EXPECT_EQ(stored("PageNumbers"), "1");

  QLocale::setDefault(QLocale("en_US"));
  pageSetup({}, true, &offered);
  EXPECT_NEAR(offered.left(), 0.788, 1e-9);
  EXPECT_NEAR(offered.top(), 0.5, 1e-9);
  pageSetup(QMarginsF(1, 0.5, 0.5, 0.25), false);
  EXPECT_EQ(stored("Left"), "1440");
  EXPECT_EQ(stored("Bottom"), "360");
  EXPECT_EQ(stored("PageNumbers"), "0");

  // Cancel keeps everything; a new session starts from the store.
  pageSetup(QMarginsF(2, 2, 2, 2), true, nullptr, false);
  EXPECT_EQ(stored("Left"), "1440");
  gui::MainWindow next;
  next.startUp();
  dialogs.pageSetupAnswers.push_back([&](QPrinter& printer, gui::PageOptions&) {
    offered = printer.pageLayout().margins();
    return false;
  });
  next.action("mnuPageSetup")->trigger();
  EXPECT_NEAR(offered.left(), 1.0, 1e-9);
  EXPECT_NEAR(offered.bottom(), 0.25, 1e-9);
}

TEST_F(PrintTest, ALongListingPrintsOnSeveralPagesWithAndWithoutTheFooter) {
  fill(400);
  const int plain = print("plain.pdf");
  EXPECT_GT(plain, 3);
  EXPECT_EQ(pageText("plain.pdf", 1).find("Page 1 of"), std::string::npos);
  EXPECT_NE(pageText("plain.pdf", 1).find("listing line 1\n"), std::string::npos);
  EXPECT_NE(pageText("plain.pdf", plain).find("listing line 400"), std::string::npos);

  pageSetup({}, true);
  const int footed = print("footer.pdf");
  EXPECT_GE(footed, plain);
  const std::string last = "Page " + std::to_string(footed) + " of " + std::to_string(footed);
  EXPECT_NE(pageText("footer.pdf", 1).find("Page 1 of " + std::to_string(footed)),
            std::string::npos);
  EXPECT_NE(pageText("footer.pdf", footed).find(last), std::string::npos);

  // Wider margins, same listing: more pages.
  QLocale::setDefault(QLocale("en_US"));
  pageSetup(QMarginsF(1.5, 2.5, 1.5, 2.5), false);
  EXPECT_GT(print("wide.pdf"), plain);
}

TEST_F(PrintTest, FitToPageWidthAndLandscapeKeepEachWideRowOnOneLineAndAreStored) {
  QStringList rows;
  for (int i = 1; i <= 40; ++i)
    rows << QString("row%1-start ").arg(i) + QString(220, 'x') + QString(" row%1-end").arg(i);
  pane()->setPlainText(rows.join('\n'));
  const auto oneLine = [](const std::string& text, int row) {
    const std::string start = "row" + std::to_string(row) + "-start";
    const size_t at = text.find(start);
    if (at == std::string::npos) return false;
    const size_t end = text.find("row" + std::to_string(row) + "-end", at);
    return end != std::string::npos && text.find('\n', at) > end;
  };
  // Without fitting, a row wider than the page wraps onto further lines.
  const int wrapped = print("wrapped.pdf");
  EXPECT_FALSE(oneLine(pageText("wrapped.pdf", 1), 1));

  dialogs.pageSetupAnswers.push_back([](QPrinter& printer, gui::PageOptions& options) {
    EXPECT_FALSE(options.fitToWidth);
    printer.setPageOrientation(QPageLayout::Landscape);
    options.fitToWidth = true;
    return true;
  });
  window.action("mnuPageSetup")->trigger();
  EXPECT_EQ(stored("FitToWidth"), "1");
  EXPECT_EQ(stored("Orientation"), "Landscape");
  const int fitted = print("fitted.pdf");
  EXPECT_LT(fitted, wrapped);
  const std::string first = pageText("fitted.pdf", 1);
  for (int row : {1, 2, 10}) EXPECT_TRUE(oneLine(first, row)) << row << "\n" << first;

  // The next session offers the stored choice again.
  gui::MainWindow next;
  next.startUp();
  bool offeredFit = false;
  QPageLayout::Orientation offeredOrientation = QPageLayout::Portrait;
  dialogs.pageSetupAnswers.push_back([&](QPrinter& printer, gui::PageOptions& options) {
    offeredFit = options.fitToWidth;
    offeredOrientation = printer.pageLayout().orientation();
    return false;
  });
  next.action("mnuPageSetup")->trigger();
  EXPECT_TRUE(offeredFit);
  EXPECT_EQ(offeredOrientation, QPageLayout::Landscape);
}

TEST_F(PrintTest, CjkNamesPrintInAFixedPitchCjkFaceBehindTheListingFont) {
  if (!QFontDatabase::hasFamily("Noto Sans Mono CJK JP"))
    GTEST_SKIP() << "Noto Sans Mono CJK (fonts-noto-cjk) is not installed";
  pane()->setPlainText(QString::fromUtf8("01 戦場のメリークリスマス.mp3   4 KB"));
  ASSERT_EQ(print("cjk.pdf"), 1);
  std::string fonts = runProgram("/usr/bin/pdffonts", {root / "cjk.pdf"}).out;
  EXPECT_NE(fonts.find("NotoSansMonoCJK"), std::string::npos) << fonts;
  EXPECT_NE(pageText("cjk.pdf", 1).find("戦場"), std::string::npos);
}

TEST_F(PrintTest, KeepsFontsAndStylesOnPaper) {
  fill(3);
  QTextCursor cursor(pane()->document());
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  cursor.mergeCharFormat(bold);
  ASSERT_EQ(print("styled.pdf"), 1);
  std::string fonts = runProgram("/usr/bin/pdffonts", {root / "styled.pdf"}).out;
  EXPECT_NE(fonts.find("Bold"), std::string::npos) << fonts;
}

TEST_F(PrintTest, EmptyPanePrintsOneBlankPageAndCancelPrintsNothing) {
  EXPECT_EQ(print("empty.pdf"), 1);
  fill(10);
  window.action("mnuPrint")->trigger();  // no answer queued: cancelled
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PrintTest, MarginsThatLeaveNoRoomForALineStopWithAMessage) {
  fill(10);
  QLocale::setDefault(QLocale("de_DE"));
  pageSetup(QMarginsF(10, 146, 10, 148), false);  // 3 mm of A4 left for the lines
  EXPECT_EQ(print("none.pdf"), 0);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].title, "Tallyfold");
  EXPECT_EQ(dialogs.messages[0].text, "The page margins leave no room for a line of the listing.");
}

TEST_F(PrintTest, HelpMenuOpensTheManualTheHomePageAndARecommendation) {
  window.action("mnuHelpTopics")->trigger();
  window.action("mnuCheckUpdate")->trigger();
  window.action("mnuTell")->trigger();
  ASSERT_EQ(dialogs.urls.size(), 3);
  QUrl manual(dialogs.urls[0]);
  ASSERT_TRUE(manual.isLocalFile());
  EXPECT_TRUE(manual.toLocalFile().endsWith("/index.html"));
  QFile file(manual.toLocalFile());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString html = QString::fromUtf8(file.readAll());
  for (const char* topic : {"Exclusions", "Printing", "Find and Replace", "tallyfold-cli"})
    EXPECT_TRUE(html.contains(topic)) << topic;
  EXPECT_TRUE(dialogs.urls[1].startsWith("https://"));
  const QString mail = dialogs.urls[2];
  EXPECT_TRUE(mail.startsWith("mailto:?subject=Just%20Try%20Tallyfold%21&body=Click%20the%20link"));
  QUrl parsed(mail);
  EXPECT_EQ(parsed.path(), "");
  EXPECT_EQ(QUrl::fromPercentEncoding(mail.section("&body=", 1).toUtf8()),
            "Click the link to download Tallyfold: " + dialogs.urls[1]);
}

TEST_F(PrintTest, FileMenuHoldsThePrintEntries) {
  QStringList captions;
  for (QAction* action : child<QMenu>(&window, "mnuFile")->actions())
    captions << (action->isSeparator() ? "-" : action->text());
  EXPECT_EQ(captions,
            (QStringList{"Scan", "Cancel", "-", "New Job", "Open Job", "Save Job", "Recent Jobs",
                         "-", "Save As", "-", "Add to Catalogue", "Catalogue...", "-", "Page Setup",
                         "Print Preview...", "Print...", "-", "Close"}));
  QString shown;
  whenModal([&](QWidget* modal) {
    shown = modal->objectName();
    modal->close();
  });
  window.action("mnuPrintPreview")->trigger();
  EXPECT_EQ(shown, "PrintPreview");
}

}  // namespace
}  // namespace tallyfold::test
