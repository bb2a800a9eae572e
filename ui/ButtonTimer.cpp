#include "ui/ButtonTimer.h"

#include <QTimer>

namespace korvid {

namespace {

class TQtButtonTimer : public TButtonTimer {
public:
    TQtButtonTimer() {
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            // A copy: the handler may destroy this timer with its button.
            if (const auto Call = OnTimer)
                Call();
        });
    }
    void SetInterval(int Milliseconds) override { FTimer.setInterval(Milliseconds); }
    int Interval() const override { return FTimer.interval(); }
    void SetEnabled(bool Value) override {
        if (Value)
            FTimer.start();
        else
            FTimer.stop();
    }
    bool Enabled() const override { return FTimer.isActive(); }

private:
    QTimer FTimer;
};

TButtonTimerFactory& Factory() {
    static TButtonTimerFactory Installed;
    return Installed;
}

} // namespace

std::unique_ptr<TButtonTimer> MakeButtonTimer() {
    if (Factory())
        return Factory()();
    return std::make_unique<TQtButtonTimer>();
}

TButtonTimerFactory InstallButtonTimerFactory(TButtonTimerFactory NewFactory) {
    return std::exchange(Factory(), std::move(NewFactory));
}

} // namespace korvid
