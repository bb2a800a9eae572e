#pragma once

#include <QIcon>
#include <QImage>

namespace korvid {

// The shared list of small pictures of the structure tree, the Watches list and the
// definitions editor's tree, addressed by fixed indexes.
constexpr int VariablesImageCount = 38;

// The 16 by 16 picture at Index, with a transparent background; a null image outside the list.
QImage VariablesImage(int Index);

// The same picture as an icon; a null icon outside the list.
QIcon VariablesIcon(int Index);

} // namespace korvid
