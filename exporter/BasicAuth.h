#pragma once

#include <QByteArray>
#include <map>

// Basic authentication against bcrypt hashes, checked with the system's crypt
// library. bcrypt is slow on purpose, so the password that last passed for
// each user is remembered as a digest: a scrape every few seconds with the
// same credentials does not pay for bcrypt each time.
class BasicAuth
{
public:
    // User names (UTF-8) and their bcrypt hashes; with none, every request is let in.
    explicit BasicAuth(std::map<QByteArray, QByteArray> users);

    // Whether the value of a request's Authorization header names a user and the password of its hash.
    bool Allows(const QByteArray& authorization);

private:
    std::map<QByteArray, QByteArray> m_users;
    std::map<QByteArray, QByteArray> m_passed; // user: SHA-256 of the password that last passed
};
