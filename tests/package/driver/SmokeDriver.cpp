// Drives the installed tool from inside as a user would: chooses "Realtime Data" in the navigation tree,
// presses Load and ends the program with status 0 once the page's grid shows Ua as a number read from the
// meter, or with status 1 when it has not within the time limit. With VEMO400_SMOKE_SHOT set it first saves
// a picture of the window there. With VEMO400_SMOKE_REPORT set it then chooses "Commissioning report..."
// in the window's context menu and answers the question where to save with that path, and ends once the
// PDF and the HTML beside it are written. It knows Qt's widgets only, not the tool's code: the grid's text
// is asked for by name.
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QGenericPlugin>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr int kTimeLimitMs = 90000;
constexpr int kUaRow = 1;
constexpr int kValueColumn = 2;

template <typename Widget> Widget* Visible(bool (*fits)(Widget&))
{
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* found = qobject_cast<Widget*>(widget); found && found->isVisible() && fits(*found))
            return found;
    return nullptr;
}

QString UaShown()
{
    for (QWidget* widget : QApplication::allWidgets()) {
        QString text;
        if (widget->isVisible() && QByteArray(widget->metaObject()->className()) == "CGridCtrl" &&
            QMetaObject::invokeMethod(widget, "CellText", Q_RETURN_ARG(QString, text), Q_ARG(int, kUaRow),
                                      Q_ARG(int, kValueColumn)))
            return text.trimmed();
    }
    return {};
}

void SavePicture(QWidget& window)
{
    const QString path = qEnvironmentVariable("VEMO400_SMOKE_SHOT");
    if (!path.isEmpty() && !window.grab().save(path))
        std::fprintf(stderr, "could not save the picture to %s\n", qPrintable(path));
}

QString ReportPath()
{
    return qEnvironmentVariable("VEMO400_SMOKE_REPORT");
}

QString HtmlBeside(const QString& pdf)
{
    return pdf.left(pdf.size() - 4) + QStringLiteral(".html");
}

// Runs every 100 ms once the value is shown: opens the context menu, chooses the report, answers the
// file dialog and waits for both files.
void ReportStep(QWidget& window)
{
    static bool asked = false;
    static bool chosen = false;
    static bool answered = false;
    const QString pdf = ReportPath();
    if (!asked) {
        asked = true;
        QTimer::singleShot(0, &window,
                           [&window] { emit window.customContextMenuRequested(window.rect().center()); });
        return;
    }
    if (!chosen) {
        QMenu* menu = Visible<QMenu>([](QMenu&) { return true; });
        for (QAction* action : menu ? menu->actions() : QList<QAction*>())
            if (action->text().startsWith(QLatin1String("Commissioning report"))) {
                // As a click does: the menu hides, then its action runs (a window opened under an open
                // menu never shows under Wine). The reading it starts may hold this step till it ends.
                chosen = true;
                menu->hide();
                action->trigger();
                return;
            }
        return;
    }
    if (!answered) {
        if (QFileDialog* dialog = Visible<QFileDialog>([](QFileDialog&) { return true; })) {
            answered = true;
            // Typed into the name box, as a user would: selectFile waits for the folder to be read. The
            // dialog's own accept() weighs the name against the longest name the drive allows, which
            // Wine does not always tell, so the dialog is ended as accept() ends it.
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(pdf);
            static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
        }
        return;
    }
    if (QFile::exists(pdf) && QFile::exists(HtmlBeside(pdf))) {
        std::printf("the window wrote the report as PDF and HTML\n");
        std::fflush(stdout);
        QApplication::exit(0);
    }
}

// Runs every 100 ms: selects the page once, presses its Load once, then looks for the value.
void Step()
{
    static bool shown = false;
    if (shown)
        return ReportStep(*Visible<QTreeWidget>([](QTreeWidget&) { return true; })->window());
    static bool loaded = false;
    static const QRegularExpression number(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
    QTreeWidget* tree = Visible<QTreeWidget>([](QTreeWidget&) { return true; });
    const auto page = tree ? tree->findItems("Realtime Data", Qt::MatchExactly | Qt::MatchRecursive)
                           : QList<QTreeWidgetItem*>();
    if (page.isEmpty())
        return;
    if (!page[0]->isSelected())
        return tree->setCurrentItem(page[0]);
    if (!loaded) {
        if (QPushButton* load = Visible<QPushButton>([](QPushButton& b) { return b.text() == "Load"; })) {
            load->click();
            loaded = true;
        }
        return;
    }
    const QString ua = UaShown();
    if (number.match(ua).hasMatch() && ua.toDouble() != 0) {
        std::printf("the Realtime Data page shows Ua = %s\n", qPrintable(ua));
        std::fflush(stdout);
        SavePicture(*tree->window());
        shown = true;
        if (ReportPath().isEmpty())
            QApplication::exit(0);
    }
}

QObject* StartDriving()
{
    // The file dialog as Qt's widgets, which the driver can answer, not the platform's.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    auto* driver = new QObject;
    auto* tick = new QTimer(driver);
    QObject::connect(tick, &QTimer::timeout, &Step);
    tick->start(100);
    // A timer of its own: a message box shown from a step holds the step's timer in its event loop.
    QTimer::singleShot(kTimeLimitMs, driver, [] {
        std::fprintf(stderr, "no value read from the meter, or no report written, within %d ms\n",
                     kTimeLimitMs);
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
