#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class CDialog;

// Whole numbers typed into edit boxes: an optional sign and digits, with
// blanks around them; nothing else, and within the signed 32-bit range.
std::optional<int32_t> ParseWholeNumber(const QString& text);

// Reads edit id into value. When the text is not a whole number, shows the
// framework's message, puts the focus into the edit and returns false; value
// is then left as it was, and the caller stops taking values.
bool ExchangeInt(CDialog& dialog, int id, int32_t& value);
// The same for a byte: anything that is not a whole number from 0 to 255 gets the range message.
bool ExchangeByte(CDialog& dialog, int id, uint8_t& value);

inline const QString kNotAWholeNumber = QStringLiteral("请键入一个整数。");
inline const QString kNotAByte = QStringLiteral("“请填入一个在0和255之间的整数。”");
