#pragma once

#include <QImage>
#include <string_view>

namespace korvid {

// The toolbar picture of that resource name ("GLYPH_FILENEW"); names match without regard to
// case. A null image when there is none.
QImage LoadGlyphResource(std::string_view ResourceName);

} // namespace korvid
