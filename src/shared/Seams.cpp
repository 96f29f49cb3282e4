// SPDX-License-Identifier: GPL-3.0-or-later
#include "Seams.h"

#include "Clock.h"

#include <chrono>
#include <random>

namespace QmrM {
namespace {

// The seams in force, made on first use: a static initialiser elsewhere may already ask for them.
Seams& current()
{
    static Seams seams;
    return seams;
}

}  // namespace

float systemRandomFraction()
{
    static std::mt19937 generator;
    static unsigned long long draws = 0;
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    ++draws;
    std::seed_seq seed{static_cast<uint32_t>(ticks), static_cast<uint32_t>(static_cast<uint64_t>(ticks) >> 32),
                       static_cast<uint32_t>(draws)};
    generator.seed(seed);
    // 24 random bits scaled by 2^-24: every value is exactly representable and strictly below 1.
    return static_cast<float>(generator() >> 8) * (1.0f / 16777216.0f);
}

const Seams& seams()
{
    return current();
}

SeamsScope::SeamsScope(Seams replacement) : mPrevious(std::move(current()))
{
    current() = std::move(replacement);
}

SeamsScope::~SeamsScope()
{
    current() = std::move(mPrevious);
}

Clock& clock()
{
    return current().clock ? *current().clock : systemClock();
}

Clock& inputClock()
{
    return current().inputClock ? *current().inputClock : systemClock();
}

QDateTime currentDateTime()
{
    return clock().now();
}

float drawRandomFraction()
{
    return current().randomFraction ? current().randomFraction() : systemRandomFraction();
}

}  // namespace QmrM
