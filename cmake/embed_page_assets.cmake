# Turns the browsable page's script and style sheet into a C++ source file
# holding their bytes, so that the program carries them as they are in the
# source tree. Run as: cmake -DSCRIPT=... -DSTYLE=... -DOUTPUT=... -P this.
function(byte_array variable file)
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" length)
  math(EXPR size "${length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(([^,]*,){24})" "\\1\n  " bytes "${bytes}")
  set(${variable} "constexpr unsigned char ${variable}[] = {\n  ${bytes}0};\nconstexpr size_t ${variable}Size = ${size};\n" PARENT_SCOPE)
endfunction()

byte_array(kScript "${SCRIPT}")
byte_array(kStyle "${STYLE}")
file(WRITE "${OUTPUT}.new" "// Made by cmake/embed_page_assets.cmake from page/assets; do not edit.
#include <cstddef>

#include \"page/page_assets.h\"

namespace tallyfold {

namespace {

${kScript}
${kStyle}
}  // namespace

std::string_view browsablePageScript() {
  return {reinterpret_cast<const char*>(kScript), kScriptSize};
}
std::string_view browsablePageStyle() {
  return {reinterpret_cast<const char*>(kStyle), kStyleSize};
}

}  // namespace tallyfold
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
