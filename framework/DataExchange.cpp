#include "framework/DataExchange.h"

#include "framework/Dialog.h"
#include "framework/MessageBox.h"

#include <QWidget>
#include <limits>

namespace {
bool Reject(CDialog& dialog, int id, const QString& message)
{
    // The framework's own messages carry the application's name as caption.
    MessageBox(&dialog, message, QStringLiteral("VEMO400"), MessageIcon::Warning);
    if (QWidget* field = dialog.GetDlgItem(id))
        field->setFocus();
    return false;
}
} // namespace

std::optional<int32_t> ParseWholeNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype i = 0;
    if (i < trimmed.size() && (trimmed[i] == u'-' || trimmed[i] == u'+'))
        ++i;
    if (i == trimmed.size())
        return std::nullopt;
    for (qsizetype k = i; k < trimmed.size(); ++k)
        if (trimmed[k] < u'0' || trimmed[k] > u'9')
            return std::nullopt;
    bool ok = false;
    const qlonglong value = trimmed.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(value);
}

bool ExchangeInt(CDialog& dialog, int id, int32_t& value)
{
    const std::optional<int32_t> parsed = ParseWholeNumber(dialog.GetDlgItemText(id));
    if (!parsed)
        return Reject(dialog, id, kNotAWholeNumber);
    value = *parsed;
    return true;
}

bool ExchangeByte(CDialog& dialog, int id, uint8_t& value)
{
    const std::optional<int32_t> parsed = ParseWholeNumber(dialog.GetDlgItemText(id));
    if (!parsed || *parsed < 0 || *parsed > 255)
        return Reject(dialog, id, kNotAByte);
    value = static_cast<uint8_t>(*parsed);
    return true;
}
