// A pseudo-terminal pair for port tests: the port opens the slave through
// the device map, the test plays the far end on the master.
#pragma once

#include <cstdint>
#include <string>

class CPtyPair
{
public:
    CPtyPair();
    ~CPtyPair();
    CPtyPair(const CPtyPair &) = delete;
    CPtyPair &operator=(const CPtyPair &) = delete;

    bool IsValid() const { return m_master >= 0; }
    const std::string &SlavePath() const { return m_slavePath; }
    int SlaveFd() const { return m_slave; }
    int MasterFd() const { return m_master; } // non-blocking

    // Writes all of `bytes` to the master.
    bool WriteMaster(const std::string &bytes);
    void CloseMaster();

private:
    int m_master = -1;
    int m_slave = -1; // kept open so the slave does not hang up between opens
    std::string m_slavePath;
};

// Test bytes: every value, repeated.
std::string PatternBytes(std::size_t count, unsigned seed = 0);
