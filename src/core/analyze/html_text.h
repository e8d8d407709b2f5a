// The text a notice written in HTML shows its reader, for mail systems that send no plain text.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// The text of the HTML (UTF-8), a line for each paragraph, line break, row and list item;
// scripts, styles and comments left out. Damaged HTML gives what a browser would show of it.
std::string HtmlText(std::string_view html);

}  // namespace tarnwick
