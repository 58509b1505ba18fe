#include "app/output_form.h"

#include <array>
#include <string>

#include "platform/ascii_case.h"

namespace tallyfold {

namespace {

struct FormExtension {
  std::string_view extension;
  OutputForm form;
};

// The first extension of each form is the one a bare name is given.
constexpr std::array<FormExtension, 6> kExtensions{{
    {".rtf", OutputForm::RichText},
    {".txt", OutputForm::PlainText},
    {".htm", OutputForm::Html},
    {".html", OutputForm::Html},
    {".csv", OutputForm::Csv},
    {".json", OutputForm::Json},
}};

}  // namespace

std::optional<OutputForm> outputFormOf(std::string_view path) {
  auto slash = path.rfind('/');
  std::string_view name = path.substr(slash == std::string_view::npos ? 0 : slash + 1);
  auto dot = name.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  std::string extension = asciiLowered(name.substr(dot));
  for (const FormExtension& known : kExtensions)
    if (extension == known.extension) return known.form;
  return std::nullopt;
}

std::string_view extensionOf(OutputForm form) {
  for (const FormExtension& known : kExtensions)
    if (known.form == form) return known.extension;
  return ".rtf";
}

}  // namespace tallyfold
