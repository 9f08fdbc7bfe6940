#pragma once

#include <cstdint>

// Bytes from a gateway that answer no request in flight, dropped as they come. Each run of
// them between two requests is one event on the frame log (and so one foreign line in the
// line monitor), noted when the next request goes out or the line closes, however many
// pieces it came in.
class CStrayBytes
{
public:
    void Drop(int64_t count);
    void Report();
    // All dropped since the line opened.
    int64_t Total() const { return m_total; }

private:
    int64_t m_total = 0;
    int64_t m_count = 0;
    int64_t m_firstAtMs = 0;
};
