// The program's message boxes (a question shows no icon, a box is as wide as
// its title) and the Find button's picture.

#include <gtest/gtest.h>

#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <memory>

#include "gui/dialogs.h"
#include "gui/icons.h"
#include "gui/main_window.h"
#include "gui_fixture.h"

namespace tallyfold::test {
namespace {

class MessageBoxAndIconTest : public GuiTest {};

TEST_F(MessageBoxAndIconTest, QuestionsShowNoIconAndEveryBoxIsAsWideAsItsTitle) {
  std::unique_ptr<QMessageBox> question(
      gui::newQuestionBox(nullptr, "Cancel Search", "Do you want to cancel the scan?"));
  EXPECT_EQ(question->icon(), QMessageBox::NoIcon);
  EXPECT_TRUE(question->iconPixmap().isNull());
  EXPECT_EQ(static_cast<QAbstractButton*>(question->defaultButton()),
            question->button(QMessageBox::No));
  EXPECT_NE(question->button(QMessageBox::Yes), nullptr);

  const QString title = "The listing could not be saved to the folder that was chosen";
  for (gui::MessageIcon icon : {gui::MessageIcon::None, gui::MessageIcon::Critical}) {
    std::unique_ptr<QMessageBox> box(gui::newMessageBox(nullptr, title, "Error.", icon));
    box->show();
    EXPECT_GT(box->width(), box->fontMetrics().horizontalAdvance(title)) << box->width();
    EXPECT_EQ(box->icon() == QMessageBox::NoIcon, icon == gui::MessageIcon::None);
  }
  std::unique_ptr<QMessageBox> asked(gui::newQuestionBox(nullptr, title, "Sure?"));
  asked->show();
  EXPECT_GT(asked->width(), asked->fontMetrics().horizontalAdvance(title));
}

TEST_F(MessageBoxAndIconTest, TheFindButtonShowsAMagnifier) {
  // The shipped picture is a lens: clear inside and around its ring, the
  // ring itself drawn dark (a "?" sign fills its whole square).
  const QImage lens = gui::shippedIcon(gui::IconName::Find).pixmap(24, 24).toImage();
  ASSERT_EQ(lens.size(), QSize(24, 24));
  EXPECT_LT(qAlpha(lens.pixel(10, 10)), 200);
  EXPECT_EQ(qAlpha(lens.pixel(20, 3)), 0);
  EXPECT_EQ(qAlpha(lens.pixel(3, 20)), 0);
  const QRgb ring = lens.pixel(10, 4);
  EXPECT_GT(qAlpha(ring), 200);
  EXPECT_LT(qGray(ring), 100);

  gui::MainWindow window;
  auto* find = window.findChild<QAction*>("Toolbar2Button1");
  ASSERT_NE(find, nullptr);
  EXPECT_FALSE(find->icon().isNull());
  if (QIcon::hasThemeIcon("edit-find"))
    EXPECT_EQ(find->icon().name(), "edit-find");
  else
    EXPECT_EQ(find->icon().pixmap(24, 24).toImage(), lens);
}

}  // namespace
}  // namespace tallyfold::test
