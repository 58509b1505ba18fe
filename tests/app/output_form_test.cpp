#include "app/output_form.h"

#include <gtest/gtest.h>

namespace tallyfold {
namespace {

TEST(OutputForm, TheLastExtensionOfTheFileNameInAnyCasePicksTheForm) {
  EXPECT_EQ(outputFormOf("/a/list.rtf"), OutputForm::RichText);
  EXPECT_EQ(outputFormOf("/a/LIST.TXT"), OutputForm::PlainText);
  EXPECT_EQ(outputFormOf("page.htm"), OutputForm::Html);
  EXPECT_EQ(outputFormOf("page.Html"), OutputForm::Html);
  EXPECT_EQ(outputFormOf("/a/list.txt.csv"), OutputForm::Csv);
  EXPECT_EQ(outputFormOf("/a/list.json"), OutputForm::Json);
  // A dot in a folder's name is no extension of the file.
  EXPECT_EQ(outputFormOf("/a.rtf/list"), std::nullopt);
  EXPECT_EQ(outputFormOf("/a/list.doc"), std::nullopt);
  EXPECT_EQ(outputFormOf("/a/list.rtf "), std::nullopt);
  EXPECT_EQ(outputFormOf(""), std::nullopt);
  for (OutputForm form : {OutputForm::RichText, OutputForm::PlainText, OutputForm::Html,
                          OutputForm::Csv, OutputForm::Json})
    EXPECT_EQ(outputFormOf("x" + std::string(extensionOf(form))), form);
  EXPECT_EQ(extensionOf(OutputForm::Html), ".htm");
}

}  // namespace
}  // namespace tallyfold
