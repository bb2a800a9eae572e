#include "ui/GlyphResources.h"

#include "platform/Cp1252.h"

#include <QFile>

// Resources linked from a static library are registered by hand, outside any namespace.
static void RegisterGlyphResources() {
    static const bool Registered = [] {
        Q_INIT_RESOURCE(glyphs);
        return true;
    }();
    (void)Registered;
}

namespace korvid {

QImage LoadGlyphResource(std::string_view ResourceName) {
    RegisterGlyphResources();
    const QString Path = ":/glyphs/" + ToQString(UpperCase1252(ResourceName));
    if (!QFile::exists(Path))
        return {};
    return QImage(Path).convertToFormat(QImage::Format_RGB32);
}

} // namespace korvid
