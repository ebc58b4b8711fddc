#include "toolkit/Timer.h"

#include "toolkit/TkError.h"

namespace tk {

Timer::Timer()
{
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { tick(); });
}

void Timer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    update();
}

void Timer::setInterval(int ms)
{
    m_timer.setInterval(ms);
    update();
}

void Timer::tick()
{
    if (onTimer)
        ignoreErrors([this] { onTimer(); });
}

void Timer::update()
{
    if (m_enabled && m_timer.interval() > 0)
        m_timer.start();
    else
        m_timer.stop();
}

} // namespace tk
