#include "gui/icons.h"

#include <array>

// The resources live in a static library, so they are registered by hand.
static void registerResources() {
  Q_INIT_RESOURCE(tallyfold);
}

namespace tallyfold::gui {

namespace {

struct IconSource {
  const char* theme;
  const char* resource;
};

constexpr std::array<IconSource, 22> kSources = {{
    {"system-search", "scan"},
    {"process-stop", "cancel"},
    {"document-save-as", "save-as"},
    {"preferences-system", "settings"},
    {"list-add", "add"},
    {"list-remove", "remove"},
    {"action-unavailable", "exclude"},
    {"folder-open", "browse"},
    {"list-add", "add-type"},
    {"list-remove", "delete-type"},
    {"folder", "folder"},
    {"folder-grey", "folder-skipped"},
    {"format-text-bold", "bold"},
    {"format-text-italic", "italic"},
    {"format-text-underline", "underline"},
    {"format-text-color", "colour"},
    {"edit-undo", "undo"},
    {"edit-redo", "redo"},
    {"tallyfold", "tallyfold"},
    {"document-print", "print"},
    {"edit-find", "find"},
    {"drive-multidisk", "catalogue"},
}};

const IconSource& sourceOf(IconName name) {
  return kSources.at(static_cast<size_t>(name));
}

}  // namespace

QIcon shippedIcon(IconName name) {
  static const bool registered = (registerResources(), true);
  (void)registered;
  return QIcon(QString(":/icons/%1.png").arg(sourceOf(name).resource));
}

QIcon icon(IconName name) {
  return QIcon::fromTheme(sourceOf(name).theme, shippedIcon(name));
}

}  // namespace tallyfold::gui
