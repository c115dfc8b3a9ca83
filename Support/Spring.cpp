#include "Support/Spring.h"

#include <cmath>
#include <numbers>

Spring::Spring(double response, double damping)
{
    const double natural = 2 * std::numbers::pi / response;
    m_decay = damping * natural;
    m_angularFrequency = natural * std::sqrt(1 - damping * damping);
    m_sineCoefficient = m_decay / m_angularFrequency;
}

Spring Spring::withStiffness(double stiffness, double damping, double mass)
{
    const double natural = std::sqrt(stiffness / mass);
    return Spring(2 * std::numbers::pi / natural, damping / (2 * std::sqrt(stiffness * mass)));
}

double Spring::settlingDuration(double tolerance) const
{
    // The distance to the target never exceeds the envelope
    // e^(-decay t) * sqrt(1 + sineCoefficient^2).
    const double amplitude = std::sqrt(1 + m_sineCoefficient * m_sineCoefficient);
    return std::log(amplitude / tolerance) / m_decay;
}

double Spring::factor(double seconds) const
{
    if (seconds <= 0)
        return 0;
    return 1 - std::exp(-m_decay * seconds) * (std::cos(m_angularFrequency * seconds) + m_sineCoefficient * std::sin(m_angularFrequency * seconds));
}
