#pragma once
#include <string_view>

// Matches a name against a pattern of '*' and '?' without regard to ASCII case, as the
// directory search of the platform the song files come from does.
bool WildcardMatch(std::string_view pattern, std::string_view name);

bool HasWildcard(std::string_view text);

// Byte-wise order with ASCII letters folded to lower case.
bool FoldedNameLess(std::string_view a, std::string_view b);
