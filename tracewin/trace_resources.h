// The trace window's resources: menu "TraceMenu", dialogs "AboutTraceBox" and
// "EnterDlg", icon "test". The resource script of the Windows module is
// written from this table; the headless window system builds from it. Texts
// are in code page 1252 (French, language 1036), as the module carries them.
#ifndef ZURBASE_TRACEWIN_TRACE_RESOURCES_H
#define ZURBASE_TRACEWIN_TRACE_RESOURCES_H

#include <array>

#include "platform/window_resources.h"
#include "tracewin/trace_about.h"

namespace zur::tracewin {

inline constexpr const char *kModuleName = "zurbase.dll";
inline constexpr int kLanguageFrench = 1036;

inline constexpr const char *kMenuName = "TraceMenu";
inline constexpr const char *kAboutDialogName = "AboutTraceBox";
inline constexpr const char *kEnterDialogName = "EnterDlg";
inline constexpr const char *kIconName = "test";

// Command ids of the "&Fichier" menu; 104 has no entry.
inline constexpr int kCmdSave = 101;
inline constexpr int kCmdReset = 102;
inline constexpr int kCmdAbout = 103;
inline constexpr int kCmdUnlisted = 104;
inline constexpr int kCmdQuit = 105;

// The file-name field of "EnterDlg".
inline constexpr int kFileNameField = 16;
// Static texts of the dialogs have no id of their own.
inline constexpr int kNoId = -1;

inline constexpr std::array<platform::MenuItemRes, 6> kFileMenuItems{{
    {kCmdSave, "&Enregistrer sous..."},
    {kCmdReset, "&R\xE9initialiser"},
    {0, nullptr},
    {kCmdQuit, "&Quitter"},
    {0, nullptr},
    {kCmdAbout, "\xC0 pr&opos de Trace..."},
}};

inline constexpr std::array<platform::MenuRes, 1> kMenus{{
    {"TRACEMENU", "&Fichier", kFileMenuItems},
}};

inline constexpr std::array<platform::DialogControlRes, 4> kAboutControls{{
    {"STATIC", ZURBASE_ABOUT_LINE1, kNoId, 0x50020001, 0, 5, 144, 8},
    {"STATIC", ZURBASE_ABOUT_LINE2, kNoId, 0x50020001, 0, 14, 144, 8},
    {"STATIC", ZURBASE_ABOUT_LINE3, kNoId, 0x50020001, 0, 34, 144, 8},
    {"BUTTON", "OK", 1, 0x50030001, 53, 59, 32, 14},
}};

inline constexpr std::array<platform::DialogControlRes, 4> kEnterControls{{
    {"STATIC", "&Nom de fichier\xA0:", 0, 0x50020000, 4, 8, 50, 8},
    {"EDIT", "", kFileNameField, 0x50810000, 53, 6, 80, 12},
    {"BUTTON", "OK", 1, 0x50010001, 44, 24, 32, 14},
    {"BUTTON", "Annuler", 2, 0x50010000, 92, 24, 32, 14},
}};

inline constexpr std::array<platform::DialogRes, 2> kDialogs{{
    {"ABOUTTRACEBOX", "\xC0 propos de Trace", 0x00C80080, 22, 17, 144, 75, 0, nullptr,
     kAboutControls},
    {"ENTERDLG", nullptr, 0x80400040, 24, 24, 134, 44, 8, "MS Sans Serif", kEnterControls},
}};

inline constexpr std::array<const char *, 1> kIcons{{"TEST"}};

}  // namespace zur::tracewin

#endif
