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

double Spring::factor(double seconds) const
{
    if (seconds <= 0)
        return 0;
    return 1 - std::exp(-m_decay * seconds) * (std::cos(m_angularFrequency * seconds) + m_sineCoefficient * std::sin(m_angularFrequency * seconds));
}
