#pragma once
// The browsable page's own script and style sheet. They are the files
// page/assets/browsable_page.js and .css of the source tree, built into the
// program as they are (see CMakeLists.txt), so that they are read, checked and
// tested as script and style, not as texts inside C++.

#include <string_view>

namespace tallyfold {

std::string_view browsablePageScript();
std::string_view browsablePageStyle();

}  // namespace tallyfold
