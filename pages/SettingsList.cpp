#include "pages/SettingsList.h"

#include <QComboBox>

namespace SettingsList {
namespace {
// The "(value N)" item carries its value; the list's own items carry none.
constexpr int kLoadedValueRole = Qt::UserRole;

void DropLoadedValueItem(QComboBox& list)
{
    const int last = list.count() - 1;
    if (last >= 0 && list.itemData(last, kLoadedValueRole).isValid())
        list.removeItem(last);
}
} // namespace

void SelectLoaded(QComboBox& list, int value)
{
    DropLoadedValueItem(list);
    if (value < 0 || value >= list.count()) {
        list.addItem(QStringLiteral("(value %1)").arg(value), value);
        value = list.count() - 1;
    }
    list.setCurrentIndex(value);
}

int SelectedValue(const QComboBox& list)
{
    const int position = list.currentIndex();
    const QVariant loaded = list.itemData(position, kLoadedValueRole);
    return loaded.isValid() ? loaded.toInt() : position;
}
} // namespace SettingsList
