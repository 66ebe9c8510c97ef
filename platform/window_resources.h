// How the library's window resources (menus, dialog templates, icons) are
// described in code. On Windows the resource script carries them and this
// description is what tests compare the loaded resources with; the headless
// window system builds its menus and dialogs from it.
#ifndef ZURBASE_PLATFORM_WINDOW_RESOURCES_H
#define ZURBASE_PLATFORM_WINDOW_RESOURCES_H

#include <cstddef>
#include <cstdint>
#include <span>

namespace zur::platform {

// One entry of a drop-down menu; a null text is a separator.
struct MenuItemRes {
  int id;
  const char *text;
};

// A menu bar whose only top-level item is one drop-down.
struct MenuRes {
  const char *name;  // resource name, matched without regard to case
  const char *popupText;
  std::span<const MenuItemRes> items;
};

struct DialogControlRes {
  const char *windowClass;  // "STATIC", "EDIT" or "BUTTON"
  const char *text;
  int id;
  std::uint32_t style;
  int x, y, width, height;  // dialog units
};

struct DialogRes {
  const char *name;  // resource name, matched without regard to case
  const char *caption;  // null: no caption
  std::uint32_t style;
  int x, y, width, height;  // dialog units
  int fontPoints;  // 0: the system font
  const char *fontName;
  std::span<const DialogControlRes> controls;
};

// Everything one module carries, for one resource language.
struct ModuleResources {
  const char *moduleName;
  int language;
  std::span<const MenuRes> menus;
  std::span<const DialogRes> dialogs;
  std::span<const char *const> icons;
};

// The resources of this library's module ("zurbase.dll").
const ModuleResources &libraryResources();

}  // namespace zur::platform

#endif
