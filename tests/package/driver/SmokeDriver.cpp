// Drives the packaged tool from inside as a user would: chooses "Energy" in the navigation tree and
// ends the program with status 0 once a counter on the page shows a number read from the meter, or
// with status 1 when none has after the time limit. It knows only Qt's widgets, not the tool's code.
#include <QApplication>
#include <QGenericPlugin>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr int kTimeLimitMs = 20000;

QTreeWidgetItem* EnergyItem()
{
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* tree = qobject_cast<QTreeWidget*>(widget); tree && tree->isVisible())
            return tree->findItems(QStringLiteral("Energy"), Qt::MatchExactly | Qt::MatchRecursive).value(0);
    return nullptr;
}

// The counters show one decimal; the panel's ID box shows a whole number and so never counts.
QString ShownCounter()
{
    static const QRegularExpression counter(QStringLiteral("^\\d+\\.\\d$"));
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* edit = qobject_cast<QLineEdit*>(widget); edit && edit->isVisible() && edit->text() != "0.0")
            if (counter.match(edit->text()).hasMatch())
                return edit->text();
    return {};
}

class SmokeDriver : public QObject
{
public:
    SmokeDriver()
    {
        connect(&m_tick, &QTimer::timeout, this, [this] { Step(); });
        m_tick.start(100);
        // A timer of its own: a message box shown from a step holds that step's timer in its event loop.
        m_limit.setSingleShot(true);
        connect(&m_limit, &QTimer::timeout, this, [] {
            std::fprintf(stderr, "no counter read from the meter within %d ms\n", kTimeLimitMs);
            std::fflush(nullptr);
            std::_Exit(1);
        });
        m_limit.start(kTimeLimitMs);
    }

private:
    void Step()
    {
        if (QTreeWidgetItem* item = EnergyItem(); item && !item->isSelected()) {
            item->treeWidget()->setCurrentItem(item);
            return;
        }
        if (const QString value = ShownCounter(); !value.isEmpty()) {
            std::printf("the Energy page shows %s\n", qPrintable(value));
            QApplication::exit(0);
        }
    }

    QTimer m_tick;
    QTimer m_limit;
};
} // namespace

class SmokeDriverPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "SmokeDriver.json")
public:
    QObject* create(const QString&, const QString&) override { return new SmokeDriver; }
};

#include "SmokeDriver.moc"
