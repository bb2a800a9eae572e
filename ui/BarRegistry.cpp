#include "ui/BarRegistry.h"

#include "ui/CommandBars.h"

#include <QApplication>
#include <QEvent>
#include <algorithm>

namespace korvid {

TBarRegistry& TBarRegistry::Instance() {
    static TBarRegistry* Registry = new TBarRegistry; // lives as long as the application
    return *Registry;
}

bool TBarRegistry::ApplicationActive() {
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

TBarRegistry::TFormRecord* TBarRegistry::Find(const QWidget* Form) {
    for (auto& Record : FForms)
        if (Record.Form == Form)
            return &Record;
    return nullptr;
}

const TBarRegistry::TFormRecord* TBarRegistry::Find(const QWidget* Form) const {
    for (const auto& Record : FForms)
        if (Record.Form == Form)
            return &Record;
    return nullptr;
}

void TBarRegistry::RegisterBar(TCustomBar* Bar) {
    QWidget* Form = Bar->OwnerForm();
    if (FForms.empty())
        Install();
    if (auto* Record = Find(Form)) {
        Record->Bars.push_back(Bar);
    } else {
        FForms.push_back({Form, {Bar}, {}});
        Form->installEventFilter(this);
    }
    // The first visibility update waits until the bar is fully built and placed.
    FPending.emplace_back(Bar);
    QMetaObject::invokeMethod(
        this, [this] { RunPending(); }, Qt::QueuedConnection);
}

void TBarRegistry::UnregisterBar(TCustomBar* Bar) {
    std::erase_if(FPending,
                  [Bar](const QPointer<TCustomBar>& P) { return P.isNull() || P == Bar; });
    for (auto It = FForms.begin(); It != FForms.end(); ++It) {
        auto& Bars = It->Bars;
        const auto Found = std::find(Bars.begin(), Bars.end(), Bar);
        if (Found == Bars.end())
            continue;
        Bars.erase(Found);
        if (Bars.empty()) {
            if (It->Form)
                It->Form->removeEventFilter(this);
            FForms.erase(It);
            if (FForms.empty())
                Uninstall();
        }
        return;
    }
}

int TBarRegistry::FormCount(const QWidget* Form) const {
    const auto* Record = Find(Form);
    return Record ? static_cast<int>(Record->Bars.size()) : 0;
}

QWidget* TBarRegistry::LastFocused(const QWidget* Form) const {
    const auto* Record = Find(Form);
    return Record ? Record->LastFocused.data() : nullptr;
}

void TBarRegistry::UpdateVisibility(QWidget* Form, bool Active) {
    auto* Record = Find(Form);
    if (!Record || !Form)
        return;
    const bool FormHidden = !Form->isVisible() || Form->isMinimized();
    for (TCustomBar* Bar : Record->Bars) {
        const bool Floating = !Bar->DockedTo();
        Bar->SetHidden(Floating && (FormHidden || (Bar->HideWhenInactive() && !Active)));
        Bar->SetInactiveCaption(Floating && !Bar->HideWhenInactive() && !Active);
    }
}

void TBarRegistry::RunPending() {
    // Taken from the last to the first, as they were queued.
    while (!FPending.empty()) {
        const QPointer<TCustomBar> Bar = FPending.back();
        FPending.pop_back();
        if (Bar)
            UpdateVisibility(Bar->OwnerForm(), ApplicationActive());
    }
}

bool TBarRegistry::eventFilter(QObject* Watched, QEvent* Event) {
    switch (Event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowStateChange:
        if (auto* Form = qobject_cast<QWidget*>(Watched))
            UpdateVisibility(Form, ApplicationActive());
        break;
    default:
        break;
    }
    return false;
}

void TBarRegistry::Install() {
    FFocusHook = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* Now) {
        if (!Now)
            return;
        auto* Record = Find(Now->window());
        if (!Record)
            return;
        Record->LastFocused = nullptr;
        for (QWidget* W = Now; W && W != Record->Form; W = W->parentWidget())
            if (dynamic_cast<TCustomBar*>(W))
                return;
        if (Now != Record->Form)
            Record->LastFocused = Now;
    });
    FStateHook = connect(qApp, &QGuiApplication::applicationStateChanged, this,
                         [this](Qt::ApplicationState State) {
                             const bool Active = State == Qt::ApplicationActive;
                             for (std::size_t I = 0; I < FForms.size(); ++I)
                                 UpdateVisibility(FForms[I].Form, Active);
                         });
}

void TBarRegistry::Uninstall() {
    disconnect(FFocusHook);
    disconnect(FStateHook);
}

} // namespace korvid
