#pragma once
// A timer control: raises Timer every Interval milliseconds while enabled.

#include <QObject>
#include <QTimer>

#include <functional>

namespace tk {

class Timer {
public:
    Timer();
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int Interval() const { return m_timer.interval(); }
    void setInterval(int ms);

    std::function<void()> onTimer;
    // Raises the tick now, as if the interval had passed (tests drive time).
    void tick();

private:
    void update();
    QTimer m_timer;
    bool m_enabled = false;
};

} // namespace tk
