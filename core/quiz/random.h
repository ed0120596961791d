#pragma once

#include <QtGlobal>

#include <random>

/// The one pseudo-random generator of the process. It is seeded once: the
/// first seedOnce() wins, so a test can fix the seed before the window seeds
/// it from the clock.
class Random
{
public:
    Random() = default;

    void seedOnce(quint32 seed);
    /// A uniformly drawn whole number from lo to hi, both included.
    int uniform(int lo, int hi);

    /// The low 32 bits of a high-resolution clock.
    static quint32 clockSeed();

private:
    std::mt19937 m_engine;
    bool m_seeded = false;
};
