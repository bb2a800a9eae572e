#pragma once

namespace korvid {

class TWindowHost;

// The definitions editor on the active document's definitions, where it was last placed.
void RunDefsEditor(TWindowHost& Window);

} // namespace korvid
