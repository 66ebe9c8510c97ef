// Test control of the headless window system (POSIX only): what Win32 shows a
// user and has no call to read back. Message boxes and modal dialogs are
// answered by a responder that the test scripts; every box shown is recorded
// with its owner, caption, text and style. The client area is a canvas of
// text cells that TextOutA paints with fixed metrics (kCellWidth x
// kCellHeight pixels per character).
#ifndef ZURBASE_PLATFORM_WINDOW_HEADLESS_CONTROL_H
#define ZURBASE_PLATFORM_WINDOW_HEADLESS_CONTROL_H

#include <functional>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace zur::headless {

inline constexpr int kCellWidth = 8;
inline constexpr int kCellHeight = 16;
// Client area of a new top-level window: 80 columns by 25 rows.
inline constexpr int kDefaultClientWidth = 80 * kCellWidth;
inline constexpr int kDefaultClientHeight = 25 * kCellHeight;

struct ShownBox {
  HWND owner;
  std::string text;
  std::string caption;
  UINT style;
};

// Answers a message box with IDOK, IDYES, IDNO...; without a responder a box
// is written to standard error and answered with its first button.
using BoxResponder = std::function<int(const ShownBox &)>;
void setBoxResponder(BoxResponder responder);
const std::vector<ShownBox> &shownBoxes();
void clearShownBoxes();
int beepCount();

// Plays the user's part in a modal dialog: called after WM_INITDIALOG with
// the dialog and its resource name. It ends the dialog through the helpers
// below (or EndDialog). A dialog the responder leaves open is cancelled, as
// the Escape key does; without a responder every dialog is cancelled.
using DialogResponder = std::function<void(HWND dialog, const std::string &name)>;
void setDialogResponder(DialogResponder responder);
// Types into an edit control; the control refuses what exceeds its limit.
void typeText(HWND dialog, int controlId, const std::string &text);
// Presses a button: WM_COMMAND with the id and BN_CLICKED to the dialog.
void pressButton(HWND dialog, int controlId);
// The limit EM_LIMITTEXT set on a control (0 when none was set).
int textLimit(HWND dialog, int controlId);

// The text of one canvas row, spaces included; cells never painted hold
// spaces.
std::string canvasRow(HWND wnd, int row);
int canvasRows(HWND wnd);
// Resizes the client area and sends WM_SIZE, as a user dragging the frame.
void resizeClient(HWND wnd, int width, int height);

// Forgets every box, beep and responder; for a test's start.
void resetControl();

}  // namespace zur::headless

#endif
