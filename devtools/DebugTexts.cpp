#include "devtools/DebugTexts.h"

namespace korvid {

std::string MemoryDumpHeader(bool, bool) {
    return {};
}
std::string MemoryDumpText(const std::vector<std::uint16_t>&, bool, bool) {
    return {};
}
std::string CallStackItemText(const TStackLine&) {
    return {};
}
std::string HeapStackLabelText(const std::string&, const std::string&) {
    return {};
}
TDebugItemLines DebugItemLines(const TProcOffset&) {
    return {};
}
std::string CallStackClipboardText(const std::vector<std::string>&,
                                   const std::vector<const TProcOffset*>&) {
    return {};
}
bool IsValueKind(int) {
    return false;
}
std::string TypeDescription(const TEntity&, bool, int) {
    return {};
}
TLocationDescription LocationDescription(const TEntity&) {
    return {};
}
bool CanRunUntilChanged(const TEntity&) {
    return false;
}
std::string NormaliseIdentifier(std::string_view, int) {
    return {};
}
int EntityImage(const TEntity&) {
    return 0;
}

} // namespace korvid
