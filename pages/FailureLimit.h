#pragma once

// Counts failed polls in a row for the pages that give up after repeated
// failures: the sixth failure in a row stops polling. The count is not reset
// when polling stops or restarts, so after a restart the next failure stops
// it again at once; only a passing poll clears it.
class FailureLimit
{
public:
    void Passed() { m_failures = 0; }
    // True when this failure ends polling.
    bool Failed()
    {
        if (m_failures == 5)
            return true;
        ++m_failures;
        return false;
    }
    int Count() const { return m_failures; }

private:
    int m_failures = 0;
};
