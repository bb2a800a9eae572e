#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <map>
#include <vector>

namespace korvid {

class TCustomBar;

// The forms that carry bars. It watches them (show, hide, minimise), the application's
// active state and the focus, so floating bars hide with their form, hide or draw inactive
// while the application is inactive, and the form's last focused control can be restored.
class TBarRegistry : public QObject {
public:
    static TBarRegistry& Instance();

    void RegisterBar(TCustomBar* Bar);
    void UnregisterBar(TCustomBar* Bar);
    // How many bars hold Form registered; 0 when it is not watched.
    int FormCount(const QWidget* Form) const;
    bool Hooked() const { return !FForms.empty(); }
    // Sets the hidden and inactive-caption state of Form's floating bars.
    void UpdateVisibility(QWidget* Form, bool ApplicationActive);
    // The last control of Form that had the focus, outside its bars.
    QWidget* LastFocused(const QWidget* Form) const;
    static bool ApplicationActive();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TBarRegistry() = default;
    struct TFormRecord {
        QPointer<QWidget> Form;
        std::vector<TCustomBar*> Bars;
        QPointer<QWidget> LastFocused;
    };
    std::vector<TFormRecord> FForms;
    std::vector<QPointer<TCustomBar>> FPending;
    QMetaObject::Connection FFocusHook;
    QMetaObject::Connection FStateHook;
    TFormRecord* Find(const QWidget* Form);
    const TFormRecord* Find(const QWidget* Form) const;
    void RunPending();
    void Install();
    void Uninstall();
};

} // namespace korvid
