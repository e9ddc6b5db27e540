#pragma once
// Text put into an XML document (the SVG sheet) as character data.

#include <string>
#include <string_view>

// The UTF-8 text with '&', '<', '>', '"' and '\'' written as entities and the characters
// XML 1.0 forbids left out.
std::string XmlEscaped(std::string_view utf8);

// Leaves out of UTF-8 text the characters XML 1.0 forbids: the C0 controls but tab, line feed
// and carriage return, U+FFFE, U+FFFF and encoded surrogates. Other bytes stay as they are.
std::string WithoutXmlForbidden(std::string_view utf8);
