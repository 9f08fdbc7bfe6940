#include "comm/LineObserver.h"

namespace {
LineObserver& Observer()
{
    static LineObserver observer;
    return observer;
}
} // namespace

void SetLineObserver(LineObserver observer)
{
    Observer() = std::move(observer);
}

bool LineObserved()
{
    return static_cast<bool>(Observer());
}

void ObserveLine(const LineEvent& event)
{
    if (Observer())
        Observer()(event);
}
