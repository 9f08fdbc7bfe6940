#pragma once

#include <QtGlobal>
#include <chrono>

// What clients may take of serve. Qt's HTTP server keeps a request's whole
// head and body in memory and limits neither connections nor idle clients, so
// these hold before it reads a byte.
struct ConnectionLimits
{
    static constexpr int kMaxConnections = 64;
    static constexpr std::chrono::milliseconds kIdle = std::chrono::seconds(30);
    static constexpr qint64 kMaxHeadBytes = 8 * 1024;

    int maxConnections = kMaxConnections;   // open at once, TLS handshakes included; more are closed at once
    std::chrono::milliseconds idle = kIdle; // the longest wait for a whole request head, or for the handshake
    qint64 maxHeadBytes = kMaxHeadBytes; // a request line and its headers; also each connection's read buffer
};
