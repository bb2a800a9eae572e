#include "ui/VariablesImages.h"

#include <QPixmap>

// Resources linked from a static library are registered by hand, outside any namespace.
static void RegisterVariablesResources() {
    static const bool Registered = [] {
        Q_INIT_RESOURCE(variables);
        return true;
    }();
    (void)Registered;
}

namespace korvid {

QImage VariablesImage(int Index) {
    if (Index < 0 || Index >= VariablesImageCount)
        return {};
    RegisterVariablesResources();
    return QImage(QStringLiteral(":/variables/%1").arg(Index));
}

QIcon VariablesIcon(int Index) {
    const QImage Image = VariablesImage(Index);
    return Image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(Image));
}

} // namespace korvid
