#include "devtools/definitions/DefsHelp.h"

namespace korvid {

// The source is plain lines: first "Vosk database definitions", then for each document an
// empty line, "Help Text <path>", and for each file that has a name of its own
// "  file <name> <number>" followed by one "    <field name>: <type>" per field in use.
std::vector<std::string> DefsHelpSource(const std::vector<TDefsHelpDocument>& Documents) {
    std::vector<std::string> Lines = {"Vosk database definitions"};
    for (const TDefsHelpDocument& Document : Documents) {
        Lines.emplace_back();
        Lines.push_back("Help Text " + Document.Path);
        if (!Document.List)
            continue;
        for (const auto& File : *Document.List) {
            if (File->Name.empty() || File->Name.front() == '(')
                continue;
            Lines.push_back("  file " + File->Name + " " + std::to_string(File->Index));
            for (int J = 1; J < DefsFieldCount; ++J)
                if (const TDefsField& Field = File->Field(J); Field.FieldType != dfNone)
                    Lines.push_back("    " + Field.Name + ": " +
                                    std::string(DefsTypeName(Field.FieldType)));
        }
    }
    return Lines;
}

} // namespace korvid
