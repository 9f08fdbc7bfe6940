#include "exporter/BasicAuth.h"

#include <QCryptographicHash>
#include <crypt.h>
#include <memory>
#include <optional>

namespace {
// Checked for a user name that is not configured, so that an unknown name takes as long as a known
// one with a wrong password and the time of an answer does not tell which names exist.
const QByteArray kNobodysHash =
    QByteArrayLiteral("$2b$10$aFo6Fm2E113lkA/R.5PGru/e2GvWGgMkykqq/UN9EKQtyzUK6cuem");

// Whether crypt gives the hash from the password, compared in constant time.
bool BcryptMatches(const QByteArray& password, const QByteArray& hash)
{
    const auto scratch = std::make_unique<crypt_data>(); // zeroed, as crypt_rn wants it
    const char* computed =
        crypt_rn(password.constData(), hash.constData(), scratch.get(), sizeof(crypt_data));
    if (!computed || qstrlen(computed) != static_cast<size_t>(hash.size()))
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < hash.size(); ++i)
        difference |= static_cast<unsigned char>(computed[i] ^ hash[i]);
    return difference == 0;
}

QByteArray Digest(const QByteArray& password)
{
    return QCryptographicHash::hash(password, QCryptographicHash::Sha256);
}

struct Credentials
{
    QByteArray user;
    QByteArray password;
};

// The user and password in the value of an Authorization header of the Basic scheme.
std::optional<Credentials> BasicCredentials(const QByteArray& authorization)
{
    if (authorization.left(6).toLower() != "basic ")
        return std::nullopt;
    const auto base64 = QByteArray::fromBase64Encoding(authorization.mid(6).trimmed(),
                                                       QByteArray::AbortOnBase64DecodingErrors);
    const QByteArray& decoded = base64.decoded;
    const qsizetype colon = base64 ? decoded.indexOf(':') : -1;
    // crypt reads a password up to its first zero byte, which would let a longer one pass.
    if (colon < 0 || decoded.contains('\0'))
        return std::nullopt;
    return Credentials{decoded.left(colon), decoded.mid(colon + 1)};
}
} // namespace

BasicAuth::BasicAuth(std::map<QByteArray, QByteArray> users) : m_users(std::move(users)) {}

bool BasicAuth::Allows(const QByteArray& authorization)
{
    if (m_users.empty())
        return true;
    const std::optional<Credentials> credentials = BasicCredentials(authorization);
    if (!credentials)
        return false;
    const auto known = m_users.find(credentials->user);
    const QByteArray digest = Digest(credentials->password);
    if (const auto passed = m_passed.find(credentials->user);
        passed != m_passed.end() && passed->second == digest)
        return true;
    const bool matches =
        BcryptMatches(credentials->password, known != m_users.end() ? known->second : kNobodysHash);
    if (!matches || known == m_users.end())
        return false;
    m_passed[credentials->user] = digest;
    return true;
}
