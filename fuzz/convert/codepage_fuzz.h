// The code page a code-page fuzz input chooses with its first byte.
#pragma once

#include "convert/codepagetext.h"

#include <cstdint>
#include <span>

inline CodePageId ChosenCodePage(uint8_t choice)
{
    const std::span<const CodePageName> pages = CodePageNames();
    return pages[choice % pages.size()].id;
}
