// Drives the packaged tool from inside as a user would: chooses "Energy" in the navigation tree and ends
// the program with status 0 once a counter on the page shows a number read from the meter, or with status 1
// when none has within the time limit. It knows Qt's widgets only, not the tool's code.
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

// Runs every 100 ms: selects the Energy item once, then looks for a counter. The counters show one
// decimal and are never "0.0" in the simulated installation; the panel's ID box shows a whole number.
void Step()
{
    static const QRegularExpression counter(QStringLiteral("^\\d+\\.\\d$"));
    for (QWidget* widget : QApplication::allWidgets()) {
        auto* tree = qobject_cast<QTreeWidget*>(widget);
        const auto energy = tree ? tree->findItems("Energy", Qt::MatchExactly | Qt::MatchRecursive)
                                 : QList<QTreeWidgetItem*>();
        if (!energy.isEmpty() && !energy[0]->isSelected())
            return tree->setCurrentItem(energy[0]);
        auto* edit = qobject_cast<QLineEdit*>(widget);
        if (edit && edit->isVisible() && edit->text() != "0.0" && counter.match(edit->text()).hasMatch()) {
            std::printf("the Energy page shows %s\n", qPrintable(edit->text()));
            return QApplication::exit(0);
        }
    }
}

QObject* StartDriving()
{
    auto* driver = new QObject;
    auto* tick = new QTimer(driver);
    QObject::connect(tick, &QTimer::timeout, &Step);
    tick->start(100);
    // A timer of its own: a message box shown from a step holds the step's timer in its event loop.
    QTimer::singleShot(kTimeLimitMs, driver, [] {
        std::fprintf(stderr, "no counter read from the meter within %d ms\n", kTimeLimitMs);
        std::fflush(nullptr);
        std::_Exit(1);
    });
    return driver;
}
} // namespace

class SmokeDriverPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "SmokeDriver.json")
public:
    QObject* create(const QString&, const QString&) override { return StartDriving(); }
};

#include "SmokeDriver.moc"
