#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lintari::design {

// What a control is; the Qt layer picks the widget, tests the kind to expect.
enum class Kind {
  Window,        // a top-level window; `caption` is its title, width/height its client area
  PageControl,   // tab control
  TabSheet,      // a page of the tab control, in tab order
  GroupBox,
  Label,
  Edit,          // single-line edit box
  Button,        // push, speed and picture buttons alike
  ComboBox,      // drop-down list without typing, nothing selected at start
  CheckListBox,  // eight check items in this program
  Slider,        // horizontal
  Shape,         // a drawn rectangle of the diagram window (background, bars)
  Line,          // the diagram's time axis with its arrow head
  TrayIcon,
  PopupMenu,
  MenuItem,
  Component,     // non-visual part (serial port, system information, ...)
};

enum class Look {
  Plain,
  Red,         // the Info page's headings
  Link,        // navy, opens its caption through the desktop
  Underlined,  // the note heading of the extended registers page
  Picture,     // the diagram button: an icon instead of a caption
};

// One control as the window designer placed it. Positions are inside the
// parent (a group, a page, or the window's client area).
struct Control {
  std::string_view name;
  Kind kind;
  std::string_view parent;  // empty for a window
  std::string caption{};
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool enabled = true;
  std::vector<std::string> items{};
  int minimum = 0;
  int maximum = 0;
  int position = 0;
  Look look = Look::Plain;
};

// The three windows, each as its controls in creation order: parents before
// children, later controls over earlier ones.
const std::vector<Control>& mainWindow();     // TForm1
const std::vector<Control>& setupWindow();    // TForm2
const std::vector<Control>& diagramWindow();  // TForm4

// The control of that name in a window's table, or nullptr.
const Control* find(const std::vector<Control>& window, std::string_view name);

// Addresses of the Info page's two links.
inline constexpr std::string_view kBetaTestersSite = "https://beta.lintari.example.org/";
inline constexpr std::string_view kMakerSite = "https://www.brevant.example.com/modems/";
inline constexpr std::string_view kHelpFile = "ltri520.hlp";

}  // namespace lintari::design
