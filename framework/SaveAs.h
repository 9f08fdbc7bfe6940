#pragma once

#include <QString>
#include <functional>

class QWidget;

// Every "Save..." button of the tool goes through here: it asks where to save, then writes there.
// A write that fails names the file it could not write ("Can not write trend.csv!"); `failed`
// starts as the path chosen and a writer of more than one file points it at the one that failed.
// Returns whether something was written.
using SaveWriter = std::function<bool(const QString& path, QString& failed)>;
bool SaveAs(QWidget* parent, const QString& caption, const QString& suggested, const QString& filter,
            const SaveWriter& write);

// Tests install a function that answers the question at once (an empty path: the user cancelled);
// an empty function restores the real file dialog.
using SavePathFunction = std::function<QString(const QString& caption, const QString& suggested)>;
void SetSavePathFunction(SavePathFunction function);
