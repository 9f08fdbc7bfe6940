#include "pages/MeterPage.h"

#include "comm/ModbusRtu.h"
#include "pages/MainWindowLink.h"

#include <cstdlib>
#include <limits>

CMeterPage::CMeterPage(int templateId, IMainWindow& main, QWidget* parent)
    : CDialog(templateId, parent), m_main(main)
{
}

void CMeterPage::TakeSlaveIdFromPanel() const
{
    SlaveId = LeadingNumber(m_main.SlaveIdText());
}

int32_t LeadingNumber(const QString& text)
{
    const QByteArray latin = text.toLatin1();
    const long long value = std::strtoll(latin.constData(), nullptr, 10);
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}
