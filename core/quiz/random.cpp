#include "core/quiz/random.h"

#include <chrono>

void Random::seedOnce(quint32 seed)
{
    if (m_seeded)
        return;
    m_engine.seed(seed);
    m_seeded = true;
}

int Random::uniform(int lo, int hi)
{
    std::uniform_int_distribution<int> pick(lo, hi);
    return pick(m_engine);
}

quint32 Random::clockSeed()
{
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return quint32(quint64(ticks) & 0xffffffffu);
}
