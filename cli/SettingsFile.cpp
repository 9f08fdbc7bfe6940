#include "cli/SettingsFile.h"

#include "meter/SettingsTexts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace {
constexpr const char* kFormatName = "vemo400-settings";
constexpr int kFormatVersion = 1;
constexpr int kRelayCount = PageReads::Relays::kRelayCount;
constexpr long long kWordMax = 65535;

std::vector<SettingsField> MakeFields()
{
    using F = SettingsField;
    const auto meter = [](const char* key, int reg, F::Kind kind, long long min, long long max) {
        return F{QStringLiteral("meter.") + QLatin1String(key), 0, key, reg, kind, min, max};
    };
    // A secondary of 0 leaves the tool no ratio, and address 0 is the broadcast address.
    std::vector<F> fields = {
        meter("ctPrimary", RegisterMap::kCtPrimary, F::Word, 1, kWordMax),
        meter("ctSecondary", RegisterMap::kCtSecondary, F::Word, 1, kWordMax),
        meter("ptPrimary", RegisterMap::kPtPrimary, F::DoubleWord, 1, 0x7FFFFFFF),
        meter("ptSecondary", RegisterMap::kPtSecondary, F::Word, 1, kWordMax),
        meter("wiring", RegisterMap::kWiring, F::Word, 0, std::size(SettingsTexts::kWiring) - 1),
        meter("address", RegisterMap::kMeterAddress, F::Word, 1, 247),
        meter("baud", RegisterMap::kBaudIndex, F::Baud, 4800, 38400),
        meter("activePulse", RegisterMap::kActivePulse, F::Word, 0,
              std::size(SettingsTexts::kActivePulse) - 1),
        meter("reactivePulse", RegisterMap::kReactivePulse, F::Word, 0,
              std::size(SettingsTexts::kReactivePulse) - 1),
        meter("pulseConstant", RegisterMap::kPulseConstant, F::Word, 0, kWordMax),
        meter("analogTarget", RegisterMap::kAnalogTarget, F::Word, 0,
              std::size(SettingsTexts::kAnalogTarget) - 1),
        meter("analogMagnification", RegisterMap::kAnalogMagnification, F::Word, 0, kWordMax),
    };
    namespace Relays = PageReads::Relays;
    for (int r = 0; r < kRelayCount; ++r) {
        const auto relay = [r](const char* key, int reg, long long max) {
            return F{
                QStringLiteral("relays[%1].").arg(r) + QLatin1String(key), r + 1, key, reg, F::Word, 0, max};
        };
        const int alarm = Relays::kSettings.first + Relays::kPerRelay * r;
        fields.push_back(relay("mode", alarm + Relays::kMode, std::size(SettingsTexts::kRelayMode) - 1));
        fields.push_back(
            relay("target", alarm + Relays::kTarget, std::size(SettingsTexts::kRelayTarget) - 1));
        fields.push_back(relay("upper", alarm + Relays::kUpper, kWordMax));
        fields.push_back(relay("lower", alarm + Relays::kLower, kWordMax));
        fields.push_back(relay("delay", alarm + Relays::kDelay, kWordMax));
        fields.push_back(relay("returnTime", Relays::kReturnTimes.first + r, kWordMax));
    }
    return fields;
}

QJsonObject Group(const QJsonObject& root, int relay)
{
    if (relay == 0)
        return root.value(QLatin1String("meter")).toObject();
    return root.value(QLatin1String("relays")).toArray().at(relay - 1).toObject();
}

// Why a file value does not fit its field; empty when it does.
QString Check(const SettingsField& field, const QJsonValue& value)
{
    if (value.isUndefined())
        return field.path + QStringLiteral(" is missing");
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || std::floor(number) != number)
        return field.path + QStringLiteral(" must be a whole number");
    if (field.kind == SettingsField::Baud) {
        for (const char* rate : SettingsTexts::kBaudRates)
            if (number == QByteArray(rate).toDouble())
                return {};
        return field.path +
               QStringLiteral(" is %1; the meter takes 4800, 9600, 19200 or 38400").arg(number, 0, 'f', 0);
    }
    if (number < static_cast<double>(field.min) || number > static_cast<double>(field.max))
        return field.path + QStringLiteral(" is %1, outside the meter's range %2 to %3")
                                .arg(number, 0, 'f', 0)
                                .arg(field.min)
                                .arg(field.max);
    return {};
}
} // namespace

long long SettingsField::Value(const RegisterImage& image) const
{
    const auto word = [&image](int reg) -> long long {
        const auto found = image.find(reg);
        return found == image.end() ? 0 : found->second;
    };
    switch (kind) {
    case Word:
        return word(reg);
    case DoubleWord:
        return static_cast<int32_t>(static_cast<uint32_t>(word(reg)) +
                                    65536u * static_cast<uint32_t>(word(reg + 1)));
    case Baud:
        break;
    }
    const QString rate = SettingsTexts::ListText(SettingsTexts::kBaudRates, static_cast<int>(word(reg)));
    return rate.isEmpty() ? -1 : rate.toLongLong();
}

void SettingsField::Store(long long value, RegisterImage& image) const
{
    switch (kind) {
    case Word:
        image[reg] = static_cast<uint16_t>(value);
        return;
    case DoubleWord:
        image[reg] = static_cast<uint16_t>(value & 0xFFFF);
        image[reg + 1] = static_cast<uint16_t>((value >> 16) & 0xFFFF);
        return;
    case Baud:
        break;
    }
    for (int position = 0; position < static_cast<int>(std::size(SettingsTexts::kBaudRates)); ++position)
        if (QByteArray(SettingsTexts::kBaudRates[position]).toLongLong() == value)
            image[reg] = static_cast<uint16_t>(position);
}

const std::vector<SettingsField>& SettingsFields()
{
    static const std::vector<SettingsField> fields = MakeFields();
    return fields;
}

QByteArray SettingsToJson(const RegisterImage& image)
{
    QJsonObject meter;
    QJsonArray relays;
    std::vector<QJsonObject> relayObjects(kRelayCount);
    for (const SettingsField& field : SettingsFields()) {
        QJsonObject& group =
            field.relay == 0 ? meter : relayObjects[static_cast<std::size_t>(field.relay - 1)];
        group.insert(QLatin1String(field.key), static_cast<double>(field.Value(image)));
    }
    for (const QJsonObject& relay : relayObjects)
        relays.append(relay);
    const QJsonObject root{{QStringLiteral("format"), QLatin1String(kFormatName)},
                           {QStringLiteral("version"), kFormatVersion},
                           {QStringLiteral("meter"), meter},
                           {QStringLiteral("relays"), relays}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<RegisterImage> SettingsFromJson(const QByteArray& json, QString& why)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (document.isNull() || !document.isObject()) {
        why = document.isNull()
                  ? QStringLiteral("not JSON: %1 at byte %2").arg(error.errorString()).arg(error.offset)
                  : QStringLiteral("not a JSON object");
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    if (root.value(QLatin1String("format")).toString() != QLatin1String(kFormatName)) {
        why =
            QStringLiteral("not a settings file: \"format\" must be \"%1\"").arg(QLatin1String(kFormatName));
        return std::nullopt;
    }
    if (root.value(QLatin1String("version")).toInt(-1) != kFormatVersion) {
        why = QStringLiteral("format version %1 is not known; this program reads version %2")
                  .arg(root.value(QLatin1String("version")).toVariant().toString())
                  .arg(kFormatVersion);
        return std::nullopt;
    }
    if (root.value(QLatin1String("relays")).toArray().size() != kRelayCount) {
        why = QStringLiteral("relays must list the four relays in order");
        return std::nullopt;
    }
    RegisterImage image;
    for (const SettingsField& field : SettingsFields()) {
        const QJsonValue value = Group(root, field.relay).value(QLatin1String(field.key));
        why = Check(field, value);
        if (!why.isEmpty())
            return std::nullopt;
        field.Store(static_cast<long long>(value.toDouble()), image);
    }
    return image;
}
