#pragma once
// The images of the commands that have toolbar buttons; the menus show the same images beside
// the same commands. A command that the freedesktop icon naming has a name for takes the image
// of the desktop's icon theme; the others, and every command whose name the theme lacks, take
// the program's own drawing (an SVG among the program's resources, ":/toolbar/NAME.svg").

#include <QIcon>
#include <string_view>

namespace velmora::gui {

// The image of the command the program's drawing `name` stands for ("zoom-in", "trend", ...);
// a null icon for a name the program has no drawing of.
QIcon ToolbarIcon(std::string_view name);

}  // namespace velmora::gui
